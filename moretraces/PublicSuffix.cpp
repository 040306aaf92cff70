#include "moretraces/PublicSuffix.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// The list as a trie of labels read from the right (cmake/public_suffix_trie.py).
const uint8_t kTrie[] = {
#include "PublicSuffixTrie.inc"
};

// A node's head byte: the label's length below, its kind above.
const uint8_t LengthMask = 0x3F;
const int KindShift = 6;
enum Kind { Inner = 0, InnerRule = 1, LeafRule = 2, LeafException = 3 };
const uint8_t MoreBytes = 0x80;
const char Wildcard[] = "*";
const size_t IdnBuffer = 256;
const char SchemeEnd[] = "://";
const char AnyPrefix[] = "[*.]";
const char* const Localhost = "localhost";

// A block of sibling nodes, [begin, end) in the trie.
struct Block {
    const uint8_t* begin;
    const uint8_t* end;
};

struct Node {
    std::string label;
    Kind kind;
    Block children;
};

size_t ReadSize(const uint8_t*& at, const uint8_t* end) {
    size_t size = 0;
    for (int shift = 0; at < end; shift += 7) {
        const uint8_t byte = *at++;
        size |= size_t(byte & ~MoreBytes) << shift;
        if (!(byte & MoreBytes))
            break;
    }
    return size;
}

// The node at `at`, which then points past it (and past its children).
Node ReadNode(const uint8_t*& at, const uint8_t* end) {
    Node node;
    const uint8_t head = *at++;
    const size_t length = std::min<size_t>(head & LengthMask, size_t(end - at));
    node.kind = Kind(head >> KindShift);
    node.label.assign(reinterpret_cast<const char*>(at), length);
    at += length;
    node.children = {at, at};
    if (node.kind == Inner || node.kind == InnerRule) {
        const size_t size = std::min(ReadSize(at, end), size_t(end - at));
        node.children = {at, at + size};
        at += size;
    }
    return node;
}

bool Find(const Block& block, const std::string& label, Node& found) {
    for (const uint8_t* at = block.begin; at < block.end;) {
        found = ReadNode(at, block.end);
        if (found.label == label)
            return true;
    }
    return false;
}

std::vector<std::string> Labels(const std::string& host) {
    std::vector<std::string> labels;
    size_t start = 0;
    for (size_t dot; (dot = host.find('.', start)) != std::string::npos; start = dot + 1)
        labels.push_back(host.substr(start, dot - start));
    labels.push_back(host.substr(start));
    return labels;
}

// How many labels from the right form the public suffix of `labels`, as the
// list's algorithm says: an exception rule wins, else the longest rule
// (a wildcard matches any one label); with no rule, the last label alone.
size_t SuffixLabels(const std::vector<std::string>& labels) {
    size_t longest = 1;
    Block block = {kTrie, kTrie + sizeof kTrie};
    for (size_t depth = 0; depth < labels.size(); ++depth) {
        const std::string& label = labels[labels.size() - 1 - depth];
        Node node;
        if (Find(block, Wildcard, node) && node.kind != Inner)
            longest = std::max(longest, depth + 1);
        if (!Find(block, label, node))
            break;
        if (node.kind == LeafException)
            return depth;
        if (node.kind != Inner)
            longest = std::max(longest, depth + 1);
        block = node.children;
    }
    return longest;
}

bool IsIpAddress(const std::string& host) {
    if (host.find(':') != std::string::npos)
        return true;
    return !host.empty() && std::all_of(host.begin(), host.end(),
                                        [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
}

// The host as the list compares it: no leading dot, trailing dot or IPv6 brackets.
std::string Bare(std::string host) {
    host.erase(0, host.find_first_not_of('.'));
    while (!host.empty() && host.back() == '.')
        host.pop_back();
    if (host.size() > 1 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    std::transform(host.begin(), host.end(), host.begin(),
                   [](char c) { return char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return host;
}

std::string Join(const std::vector<std::string>& labels, size_t from) {
    std::string host;
    for (size_t i = from; i < labels.size(); ++i)
        host += (i == from ? "" : ".") + labels[i];
    return host;
}

// Names in ASCII stay as they are; others become punycode.
std::string ToAscii(const std::wstring& name) {
    if (std::all_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x80; }))
        return std::string(name.begin(), name.end());
    wchar_t ascii[IdnBuffer] = {};
    const int length =
        IdnToAscii(IDN_ALLOW_UNASSIGNED, name.c_str(), int(name.size()), ascii, int(IdnBuffer));
    if (length <= 0)
        return std::string();
    return std::string(ascii, ascii + length);
}

} // namespace

namespace sites {

std::string SiteOf(const std::string& host) {
    const std::string bare = Bare(host);
    if (bare.empty() || IsIpAddress(bare) || bare == Localhost)
        return bare;
    const std::vector<std::string> labels = Labels(bare);
    const size_t suffix = SuffixLabels(labels);
    if (suffix >= labels.size())
        return bare;
    return Join(labels, labels.size() - suffix - 1);
}

bool IsPublicSuffix(const std::string& host) {
    const std::string bare = Bare(host);
    if (bare.empty() || IsIpAddress(bare) || bare == Localhost)
        return false;
    const std::vector<std::string> labels = Labels(bare);
    return SuffixLabels(labels) >= labels.size();
}

std::string HostOfEntry(const std::wstring& entry) {
    std::wstring host = entry;
    host.erase(0, host.find_first_not_of(L" \t"));
    host.erase(host.find_last_not_of(L" \t") + 1);
    const size_t scheme = host.find(std::wstring(SchemeEnd, SchemeEnd + 3));
    if (scheme != std::wstring::npos)
        host.erase(0, scheme + 3);
    host = host.substr(0, host.find_first_of(L"/?#"));
    if (host.compare(0, 4, std::wstring(AnyPrefix, AnyPrefix + 4)) == 0)
        host.erase(0, 4);
    // A port follows the last colon, unless the host is an IPv6 address.
    const size_t colon = host.rfind(L':');
    if (colon != std::wstring::npos && colon > 0 && (host[0] != L'[' || host[colon - 1] == L']'))
        host.erase(colon);
    const std::string ascii = Bare(ToAscii(host));
    if (ascii.find_first_of(" ,;\"'*/\\") != std::string::npos)
        return std::string();
    return ascii;
}

} // namespace sites
