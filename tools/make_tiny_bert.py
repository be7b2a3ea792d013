#!/usr/bin/env python3
"""Writes the tiny BERT that the encoder's tests run: tests/data/tiny-bert/.

    python3 tools/make_tiny_bert.py [output-dir]

Files: Embedder.safetensors (float32 weights under the standard BERT names, plus a pooler and an
int64 position_ids buffer as real checkpoints carry, which the encoder must skip), config.json
(the architecture) and vocab.txt (BERT-style: [PAD] at 0, then [UNK], [CLS], [SEP], [MASK], words
and ##pieces). Deterministic: the weights come from Python's own Mersenne Twister, whose random()
sequence for a given integer seed Python keeps stable across versions, so running this again
writes the same bytes. Uses only the standard library.

After changing anything here, run tools/reference_vectors.py to recompute the reference vectors.
"""

import json
import math
import os
import random
import struct
import sys

SEED = 20240917

CONFIG = {
    "architectures": ["BertModel"],
    "model_type": "bert",
    "hidden_act": "gelu",
    "position_embedding_type": "absolute",
    "num_hidden_layers": 2,
    "num_attention_heads": 4,
    "hidden_size": 32,
    "intermediate_size": 64,
    "max_position_embeddings": 64,
    "type_vocab_size": 2,
    "layer_norm_eps": 1e-12,
    # vocab_size is filled in from VOCAB below.
}

SPECIAL = ["[PAD]", "[UNK]", "[CLS]", "[SEP]", "[MASK]"]
PUNCTUATION = [".", ",", "-", ":", "|", "/", "(", ")", "!", "?", "'"]
DIGITS = [str(d) for d in range(10)]
WORDS = """
the a of and to in for on with is my new how what your at by from
pull request issue code review mail inbox video watch news music game chat message
document report budget meeting notes project plan design build test fix bug error
page home search result settings file edit view window terminal editor browser tab
week day today draft slide sheet data model train learn python linux recipe cat dog
funny live stream sport score shop cart buy sale travel hotel flight weather map
parser release branch merge commit deploy server log query table chart invoice
""".split()
PIECES = ["##ing", "##ed", "##er", "##ly", "##es", "##ion", "##al", "##able",
          "##ment", "##ness", "##ers", "##ic", "##ist"]
LETTERS = [chr(c) for c in range(ord("b"), ord("z") + 1) if chr(c) not in WORDS]
LETTER_PIECES = ["##" + chr(c) for c in range(ord("a"), ord("z") + 1)]

VOCAB = SPECIAL + PUNCTUATION + DIGITS + WORDS + PIECES + LETTERS + LETTER_PIECES


def tensors(config, rng):
    """(name, dtype, shape, values) in file order."""
    hidden = config["hidden_size"]
    inner = config["intermediate_size"]

    def uniform(shape, scale, centre=0.0):
        count = math.prod(shape)
        return [centre + scale * (2.0 * rng.random() - 1.0) for _ in range(count)]

    def linear(prefix, out_features, in_features, gain=1.0):
        # Uniform with variance gain²/in_features keeps activations near unit scale.
        bound = gain * math.sqrt(3.0 / in_features)
        return [
            (prefix + ".weight", "F32", [out_features, in_features], uniform([out_features, in_features], bound)),
            (prefix + ".bias", "F32", [out_features], uniform([out_features], 0.1)),
        ]

    def layer_norm(prefix):
        return [
            (prefix + ".weight", "F32", [hidden], uniform([hidden], 0.2, 1.0)),
            (prefix + ".bias", "F32", [hidden], uniform([hidden], 0.1)),
        ]

    out = [
        ("embeddings.word_embeddings.weight", "F32", [config["vocab_size"], hidden],
         uniform([config["vocab_size"], hidden], 0.5)),
        ("embeddings.position_embeddings.weight", "F32", [config["max_position_embeddings"], hidden],
         uniform([config["max_position_embeddings"], hidden], 0.5)),
        ("embeddings.token_type_embeddings.weight", "F32", [config["type_vocab_size"], hidden],
         uniform([config["type_vocab_size"], hidden], 0.5)),
        ("embeddings.position_ids", "I64", [1, config["max_position_embeddings"]],
         list(range(config["max_position_embeddings"]))),
    ]
    out += layer_norm("embeddings.LayerNorm")
    for i in range(config["num_hidden_layers"]):
        p = "encoder.layer.%d." % i
        # Sharper queries and keys than the rest, so that attention is far from uniform and a
        # position that leaks into it shows.
        out += linear(p + "attention.self.query", hidden, hidden, gain=2.0)
        out += linear(p + "attention.self.key", hidden, hidden, gain=2.0)
        out += linear(p + "attention.self.value", hidden, hidden)
        out += linear(p + "attention.output.dense", hidden, hidden)
        out += layer_norm(p + "attention.output.LayerNorm")
        out += linear(p + "intermediate.dense", inner, hidden)
        out += linear(p + "output.dense", hidden, inner)
        out += layer_norm(p + "output.LayerNorm")
    out += linear("pooler.dense", hidden, hidden)
    return out


def safetensors_bytes(entries, metadata):
    header = {"__metadata__": metadata}
    data = bytearray()
    for name, dtype, shape, values in entries:
        packed = struct.pack("<%d%s" % (len(values), "f" if dtype == "F32" else "q"), *values)
        header[name] = {"dtype": dtype, "shape": shape, "data_offsets": [len(data), len(data) + len(packed)]}
        data += packed
    text = json.dumps(header, separators=(",", ":")).encode("utf-8")
    text += b" " * (-len(text) % 8)  # the format's writers pad the header to 8 bytes
    return struct.pack("<Q", len(text)) + text + bytes(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "tests", "data", "tiny-bert")
    os.makedirs(out_dir, exist_ok=True)
    assert len(VOCAB) == len(set(VOCAB)), "duplicate vocabulary entries"

    config = dict(CONFIG, vocab_size=len(VOCAB))
    rng = random.Random(SEED)
    blob = safetensors_bytes(tensors(config, rng), {"format": "pt"})
    with open(os.path.join(out_dir, "Embedder.safetensors"), "wb") as f:
        f.write(blob)
    with open(os.path.join(out_dir, "config.json"), "w") as f:
        json.dump(config, f, indent=2, sort_keys=True)
        f.write("\n")
    with open(os.path.join(out_dir, "vocab.txt"), "w") as f:
        f.write("".join(token + "\n" for token in VOCAB))
    print("wrote %s: %d tokens, %d bytes of weights" % (out_dir, len(VOCAB), len(blob)))


if __name__ == "__main__":
    main()
