// The rows of a list as a sequence that can grow in the middle, each row
// keeping a handle of its own: inserting at a position and finding where a
// handle's row is now both take O(log n), so that the window thread's work
// per found camera or per note does not grow with the list.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

class RowPositions {
public:
    using Handle = uint32_t;

    // Inserts a row in front of the row at `position` (at the end when it is
    // the size); returns the new row's handle.
    Handle InsertAt(int position);
    // Where the handle's row is now.
    int PositionOf(Handle handle) const;
    int Size() const { return m_root == kNone ? 0 : m_nodes[m_root].size; }
    void Clear();

private:
    static constexpr uint32_t kNone = UINT32_MAX;
    // A node of a treap ordered by position: the heap on `priority` keeps it
    // balanced, `size` counts the subtree's rows.
    struct Node {
        uint32_t left = kNone;
        uint32_t right = kNone;
        uint32_t parent = kNone;
        uint32_t priority = 0;
        int size = 1;
    };

    int SizeOf(uint32_t node) const { return node == kNone ? 0 : m_nodes[node].size; }
    void Update(uint32_t node);
    // Splits the tree at `node` into the first `count` rows and the rest.
    void Split(uint32_t node, int count, uint32_t* first, uint32_t* rest);
    uint32_t Merge(uint32_t first, uint32_t rest);

    std::vector<Node> m_nodes;
    uint32_t m_root = kNone;
    std::minstd_rand m_random{20261210};
};
