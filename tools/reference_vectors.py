#!/usr/bin/env python3
"""Computes the reference embeddings of the tiny BERT: tests/data/tiny-bert/reference.json.

    /usr/bin/python3 tools/reference_vectors.py [model-dir]

An implementation independent of the C++ encoder: it parses the safetensors file itself, and runs
BERT's forward pass in plain PyTorch operations, in float64, over the whole padded sequence with
the usual additive attention mask (so it does not share the encoder's shortcut of computing the
real tokens only). Sentence vector: mean of the last hidden states over the mask, then L2
normalisation, as sentence-transformers pools all-MiniLM-L6-v2.

Needs Debian's python3-torch; the tests need only the JSON this writes. Texts are turned into ids
by the basic uncased WordPiece below, which is enough for the plain ASCII texts used here.
"""

import json
import math
import os
import struct
import sys

import torch

MAX_CHARS_PER_WORD = 100


def read_safetensors(path):
    with open(path, "rb") as f:
        blob = f.read()
    (header_length,) = struct.unpack("<Q", blob[:8])
    header = json.loads(blob[8:8 + header_length])
    data = blob[8 + header_length:]
    out = {}
    for name, entry in header.items():
        if name == "__metadata__" or entry["dtype"] != "F32":
            continue
        begin, end = entry["data_offsets"]
        count = (end - begin) // 4
        values = struct.unpack("<%df" % count, data[begin:end])
        out[name] = torch.tensor(values, dtype=torch.float64).reshape(entry["shape"])
    return out


def wordpiece(text, vocab):
    """Uncased BERT WordPiece for ASCII text: lower-case, split at blanks and punctuation,
    greedy longest match with ## continuations, [UNK] for a word that cannot be cut."""
    words, current = [], ""
    for ch in text.lower():
        if ch.isspace():
            if current:
                words.append(current)
            current = ""
        elif not ch.isalnum():
            if current:
                words.append(current)
            words.append(ch)
            current = ""
        else:
            current += ch
    if current:
        words.append(current)
    ids = [vocab["[CLS]"]]
    for word in words:
        if len(word) > MAX_CHARS_PER_WORD:
            ids.append(vocab["[UNK]"])
            continue
        pieces, start = [], 0
        while start < len(word):
            end = len(word)
            while end > start:
                piece = word[start:end] if start == 0 else "##" + word[start:end]
                if piece in vocab:
                    break
                end -= 1
            if end == start:
                pieces = [vocab["[UNK]"]]
                break
            pieces.append(vocab[piece])
            start = end
        ids.extend(pieces)
    ids.append(vocab["[SEP]"])
    return ids


def embed(weights, config, ids, mask):
    """Sentence vector of one sequence, everything in float64."""
    hidden = config["hidden_size"]
    heads = config["num_attention_heads"]
    head_size = hidden // heads
    eps = config["layer_norm_eps"]
    w = weights
    ids_t = torch.tensor(ids, dtype=torch.long)
    mask_t = torch.tensor(mask, dtype=torch.float64)
    length = len(ids)

    def layer_norm(x, prefix):
        return torch.nn.functional.layer_norm(x, (hidden,), w[prefix + ".weight"], w[prefix + ".bias"], eps)

    def dense(x, prefix):
        return x @ w[prefix + ".weight"].T + w[prefix + ".bias"]

    x = (w["embeddings.word_embeddings.weight"][ids_t]
         + w["embeddings.token_type_embeddings.weight"][0]
         + w["embeddings.position_embeddings.weight"][torch.arange(length)])
    x = layer_norm(x, "embeddings.LayerNorm")
    # Masked keys get a large negative score; in float64 their softmax weight is exactly 0.
    additive = (1.0 - mask_t) * -1e9
    for i in range(config["num_hidden_layers"]):
        p = "encoder.layer.%d." % i

        def split(t):
            return t.reshape(length, heads, head_size).transpose(0, 1)

        q = split(dense(x, p + "attention.self.query"))
        k = split(dense(x, p + "attention.self.key"))
        v = split(dense(x, p + "attention.self.value"))
        scores = q @ k.transpose(1, 2) / math.sqrt(head_size) + additive
        context = (torch.softmax(scores, dim=-1) @ v).transpose(0, 1).reshape(length, hidden)
        x = layer_norm(dense(context, p + "attention.output.dense") + x, p + "attention.output.LayerNorm")
        inner = torch.nn.functional.gelu(dense(x, p + "intermediate.dense"))  # the exact erf form
        x = layer_norm(dense(inner, p + "output.dense") + x, p + "output.LayerNorm")
    pooled = (x * mask_t[:, None]).sum(0) / mask_t.sum().clamp(min=1e-9)
    return torch.nn.functional.normalize(pooled, p=2, dim=0, eps=1e-12)


def cases(vocab, max_positions):
    def text_case(name, text, pad_to=None, garbage=False):
        ids = wordpiece(text, vocab)[:max_positions]
        if len(ids) == max_positions:
            ids[-1] = vocab["[SEP]"]
        mask = [1] * len(ids)
        if pad_to:
            extra = pad_to - len(ids)
            # Garbage under the mask: valid ids that would change the vector if they leaked.
            filler = [(7 * j + 11) % len(vocab) for j in range(extra)] if garbage else [0] * extra
            ids, mask = ids + filler, mask + [0] * extra
        return {"name": name, "text": text, "input_ids": ids, "attention_mask": mask}

    title = "Fix parser bug - Pull Request #12 | code review"
    out = [
        text_case("title", title),
        text_case("title padded", title, pad_to=32),
        text_case("title padded with garbage", title, pad_to=32, garbage=True),
        text_case("site and title", "weather map: flight to linux server (news)", pad_to=64),
        text_case("unknown words", "xqzvw budgeting reports qqqq", pad_to=16),
        text_case("empty text", "", pad_to=8),
        text_case("fills every position", " ".join(["weekly budget report draft for the new project"] * 8)),
    ]
    # A mask that is not a prefix: holes in the middle and padding at the end.
    ids = wordpiece("my inbox - new message from the design meeting", vocab)
    mask = [1] * len(ids)
    for hole in (2, 3, 7):
        mask[hole] = 0
    out.append({"name": "mask with holes", "text": None, "input_ids": ids + [0, 0, 0],
                "attention_mask": mask + [0, 0, 0]})
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    model_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "tests", "data", "tiny-bert")
    with open(os.path.join(model_dir, "config.json")) as f:
        config = json.load(f)
    with open(os.path.join(model_dir, "vocab.txt")) as f:
        vocab = {token: i for i, token in enumerate(f.read().splitlines())}
    weights = read_safetensors(os.path.join(model_dir, "Embedder.safetensors"))

    results = []
    for case in cases(vocab, config["max_position_embeddings"]):
        vector = embed(weights, config, case["input_ids"], case["attention_mask"])
        case["embedding"] = [float("%.9g" % v) for v in vector.tolist()]
        results.append(case)
    document = {
        "about": "Sentence vectors of the tiny BERT beside this file, computed in float64 by "
                 "tools/reference_vectors.py with PyTorch " + torch.__version__ + ".",
        "cases": results,
    }
    with open(os.path.join(model_dir, "reference.json"), "w") as f:
        json.dump(document, f, indent=1)
        f.write("\n")
    print("wrote %d cases to %s" % (len(results), os.path.join(model_dir, "reference.json")))


if __name__ == "__main__":
    main()
