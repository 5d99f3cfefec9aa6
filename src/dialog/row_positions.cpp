#include "dialog/row_positions.h"

#include <algorithm>

RowPositions::Handle RowPositions::InsertAt(int position) {
    position = std::clamp(position, 0, Size());
    const auto handle = static_cast<uint32_t>(m_nodes.size());
    Node node;
    node.priority = static_cast<uint32_t>(m_random());
    m_nodes.push_back(node);
    uint32_t first = kNone;
    uint32_t rest = kNone;
    Split(m_root, position, &first, &rest);
    m_root = Merge(Merge(first, handle), rest);
    m_nodes[m_root].parent = kNone;
    return handle;
}

int RowPositions::PositionOf(Handle handle) const {
    if (handle >= m_nodes.size()) {
        return -1;
    }
    int position = SizeOf(m_nodes[handle].left);
    for (uint32_t node = handle; m_nodes[node].parent != kNone; node = m_nodes[node].parent) {
        const Node& parent = m_nodes[m_nodes[node].parent];
        if (parent.right == node) {
            position += SizeOf(parent.left) + 1;
        }
    }
    return position;
}

void RowPositions::Clear() {
    m_nodes.clear();
    m_root = kNone;
}

void RowPositions::Update(uint32_t node) {
    Node& n = m_nodes[node];
    n.size = 1 + SizeOf(n.left) + SizeOf(n.right);
    if (n.left != kNone) {
        m_nodes[n.left].parent = node;
    }
    if (n.right != kNone) {
        m_nodes[n.right].parent = node;
    }
}

void RowPositions::Split(uint32_t node, int count, uint32_t* first, uint32_t* rest) {
    if (node == kNone) {
        *first = *rest = kNone;
        return;
    }
    Node& n = m_nodes[node];
    const int leftSize = SizeOf(n.left);
    if (count <= leftSize) {
        uint32_t leftRest = kNone;
        Split(n.left, count, first, &leftRest);
        m_nodes[node].left = leftRest;
        *rest = node;
    } else {
        uint32_t rightFirst = kNone;
        Split(n.right, count - leftSize - 1, &rightFirst, rest);
        m_nodes[node].right = rightFirst;
        *first = node;
    }
    Update(node);
    m_nodes[node].parent = kNone;
}

uint32_t RowPositions::Merge(uint32_t first, uint32_t rest) {
    if (first == kNone) {
        return rest;
    }
    if (rest == kNone) {
        return first;
    }
    if (m_nodes[first].priority > m_nodes[rest].priority) {
        m_nodes[first].right = Merge(m_nodes[first].right, rest);
        Update(first);
        return first;
    }
    m_nodes[rest].left = Merge(first, m_nodes[rest].left);
    Update(rest);
    return rest;
}
