#!/usr/bin/env python3
"""Exports the benchmark's BERT to ONNX, for ONNX Runtime to run as our encoder's peer.

    /usr/bin/python3 tools/export_onnx.py DIR

DIR holds what quillbrook_bench writes with QB_ENCODER_BENCH_DIR=DIR: Embedder.safetensors,
config.json, inputs.json and ours.json (our encoder's vectors for those inputs). Writes
DIR/model.onnx with inputs "input_ids" and "attention_mask" (int64, [1, sequence], any length) and
the output "embedding" ([1, hidden], mean-pooled over the mask and L2-normalised), built the way
a BERT checkpoint is usually exported: torch.nn Linear, LayerNorm and Embedding modules, exact
GELU, an additive attention mask. Before exporting it checks that torch, on these weights, agrees
with our vectors, so that the two runtimes are timed on the same computation.

Needs Debian's python3-torch.
"""

import json
import math
import os
import struct
import sys

import torch
from torch import nn

OPSET = 17  # has LayerNormalization as one operator
AGREEMENT = 1e-4  # float32 vectors of two runtimes, summed in different orders


def read_safetensors(path):
    with open(path, "rb") as f:
        blob = f.read()
    (length,) = struct.unpack("<Q", blob[:8])
    header = json.loads(blob[8:8 + length])
    data = bytearray(blob[8 + length:])
    tensors = {}
    for name, entry in header.items():
        if name == "__metadata__" or entry["dtype"] != "F32":
            continue
        begin, end = entry["data_offsets"]
        tensors[name] = torch.frombuffer(data, dtype=torch.float32, count=(end - begin) // 4,
                                         offset=begin).reshape(entry["shape"]).clone()
    return tensors


class Layer(nn.Module):
    def __init__(self, hidden, heads, inner, eps):
        super().__init__()
        self.heads = heads
        self.query = nn.Linear(hidden, hidden)
        self.key = nn.Linear(hidden, hidden)
        self.value = nn.Linear(hidden, hidden)
        self.attention_out = nn.Linear(hidden, hidden)
        self.attention_norm = nn.LayerNorm(hidden, eps=eps)
        self.intermediate = nn.Linear(hidden, inner)
        self.output = nn.Linear(inner, hidden)
        self.output_norm = nn.LayerNorm(hidden, eps=eps)

    def forward(self, x, additive_mask):
        batch, length, hidden = x.shape
        size = hidden // self.heads

        def split(t):
            return t.view(batch, length, self.heads, size).transpose(1, 2)

        scores = split(self.query(x)) @ split(self.key(x)).transpose(-1, -2) / math.sqrt(size)
        probabilities = torch.softmax(scores + additive_mask, dim=-1)
        context = (probabilities @ split(self.value(x))).transpose(1, 2).reshape(batch, length, hidden)
        x = self.attention_norm(self.attention_out(context) + x)
        return self.output_norm(self.output(nn.functional.gelu(self.intermediate(x))) + x)


class SentenceBert(nn.Module):
    def __init__(self, config):
        super().__init__()
        hidden = config["hidden_size"]
        eps = config["layer_norm_eps"]
        self.words = nn.Embedding(config["vocab_size"], hidden)
        self.positions = nn.Embedding(config["max_position_embeddings"], hidden)
        self.types = nn.Embedding(config.get("type_vocab_size", 2), hidden)
        self.norm = nn.LayerNorm(hidden, eps=eps)
        self.layers = nn.ModuleList(
            Layer(hidden, config["num_attention_heads"], config["intermediate_size"], eps)
            for _ in range(config["num_hidden_layers"]))

    def forward(self, input_ids, attention_mask):
        length = input_ids.shape[1]
        positions = torch.arange(length, dtype=torch.long).unsqueeze(0)
        x = self.words(input_ids) + self.types(torch.zeros_like(input_ids)) + self.positions(positions)
        x = self.norm(x)
        mask = attention_mask.to(torch.float32)
        additive = ((1.0 - mask) * torch.finfo(torch.float32).min)[:, None, None, :]
        for layer in self.layers:
            x = layer(x, additive)
        pooled = (x * mask.unsqueeze(-1)).sum(1) / mask.sum(1, keepdim=True).clamp(min=1e-9)
        return nn.functional.normalize(pooled, p=2, dim=1)

    def load(self, w):
        with torch.no_grad():
            self.words.weight.copy_(w["embeddings.word_embeddings.weight"])
            self.positions.weight.copy_(w["embeddings.position_embeddings.weight"])
            self.types.weight.copy_(w["embeddings.token_type_embeddings.weight"])
            self.norm.weight.copy_(w["embeddings.LayerNorm.weight"])
            self.norm.bias.copy_(w["embeddings.LayerNorm.bias"])
            names = {"query": "attention.self.query", "key": "attention.self.key",
                     "value": "attention.self.value", "attention_out": "attention.output.dense",
                     "attention_norm": "attention.output.LayerNorm", "intermediate": "intermediate.dense",
                     "output": "output.dense", "output_norm": "output.LayerNorm"}
            for i, layer in enumerate(self.layers):
                for attribute, name in names.items():
                    module = getattr(layer, attribute)
                    module.weight.copy_(w["encoder.layer.%d.%s.weight" % (i, name)])
                    module.bias.copy_(w["encoder.layer.%d.%s.bias" % (i, name)])


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    with open(os.path.join(folder, "config.json")) as f:
        config = json.load(f)
    model = SentenceBert(config)
    model.load(read_safetensors(os.path.join(folder, "Embedder.safetensors")))
    model.eval()

    with open(os.path.join(folder, "inputs.json")) as f:
        inputs = json.load(f)
    with open(os.path.join(folder, "ours.json")) as f:
        ours = json.load(f)
    worst = 0.0
    with torch.no_grad():
        for tokens, ids in inputs.items():
            vector = model(torch.tensor([ids]), torch.ones(1, len(ids), dtype=torch.long))[0]
            worst = max(worst, (vector - torch.tensor(ours[tokens])).abs().max().item())
    print("torch vs our encoder: largest difference %.2g" % worst)
    if worst > AGREEMENT:
        sys.exit("the two implementations disagree; not exporting")

    ids = torch.tensor([inputs["16"]])
    torch.onnx.export(model, (ids, torch.ones_like(ids)), os.path.join(folder, "model.onnx"),
                      input_names=["input_ids", "attention_mask"], output_names=["embedding"],
                      dynamic_axes={"input_ids": {1: "sequence"}, "attention_mask": {1: "sequence"}},
                      opset_version=OPSET, do_constant_folding=True)
    print("wrote", os.path.join(folder, "model.onnx"))


if __name__ == "__main__":
    main()
