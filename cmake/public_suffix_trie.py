#!/usr/bin/env python3
"""Makes the Public Suffix List into the trie the programs look sites up in.

Usage: public_suffix_trie.py <public_suffix_list.dat> <output .inc>

Every rule, the ICANN and the private ones alike (browsers group cookies and
storage by both), is read label by label from the right. Labels outside
ASCII are written in punycode, as hosts reach the programs. Each node of the
trie is a block of its children, one after another:

    <head: 1 byte> <label> [<children's block size: LEB128> <children's block>]

The head's low six bits are the label's length, its high two the node's kind:
0 a node with children where no rule ends, 1 one with children where a rule
ends, 2 a leaf where a rule ends, 3 a leaf where an exception rule ("!")
ends. Only nodes with children have a size and a block. A wildcard rule's
"*" is a label of its own. The output is the bytes of the root block as a C
array initializer.
"""
import sys

RULE = 1
EXCEPTION = 2
BYTES_PER_LINE = 20
LENGTH_LIMIT = 64
KIND_SHIFT = 6
# The kind of a node, by (its flags, whether it has children).
KINDS = {(0, True): 0, (RULE, True): 1, (RULE, False): 2, (EXCEPTION, False): 3}


def ascii_label(label):
    if label.isascii():
        return label
    return "xn--" + label.encode("punycode").decode("ascii")


def rules(path):
    with open(path, encoding="utf-8") as text:
        for line in text:
            rule = line.split()[0] if line.split() else ""
            if rule and not rule.startswith("//"):
                yield rule


def trie(path):
    root = {}
    for rule in rules(path):
        flag = EXCEPTION if rule.startswith("!") else RULE
        node = None
        children = root
        for label in reversed(rule.lstrip("!").split(".")):
            node = children.setdefault(ascii_label(label.lower()), [0, {}])
            children = node[1]
        node[0] |= flag
    return root


def leb128(number):
    out = bytearray()
    while True:
        byte = number & 0x7F
        number >>= 7
        out.append(byte | (0x80 if number else 0))
        if not number:
            return bytes(out)


def block(children):
    out = bytearray()
    for label in sorted(children):
        flags, below = children[label]
        encoded = label.encode("ascii")
        kind = KINDS.get((flags, bool(below)))
        if not 0 < len(encoded) < LENGTH_LIMIT or kind is None:
            sys.exit("public_suffix_trie: a rule of unexpected form: " + label)
        out += bytes([len(encoded) | kind << KIND_SHIFT]) + encoded
        if below:
            inner = block(below)
            out += leb128(len(inner)) + inner
    return bytes(out)


def main():
    source, output = sys.argv[1:]
    data = block(trie(source))
    lines = []
    for start in range(0, len(data), BYTES_PER_LINE):
        lines.append(",".join(str(b) for b in data[start:start + BYTES_PER_LINE]) + ",")
    with open(output, "w") as out:
        out.write("// Made from the Public Suffix List by cmake/public_suffix_trie.py.\n")
        out.write("\n".join(lines) + "\n")


main()
