#pragma once
// A loose quadtree over the ground plane (x and z; y is carried but never tested). There is
// no capacity per node: an object sinks from the root as deep as its bounding circle fits in
// one quadrant, and stops at the first node whose centre lines it straddles or at the
// maximum depth. Nodes below the root come from their own pool.
//
// Each node also keeps the boxes its stored circles cover (a box never shrinks while its node
// lives), so a search around a point skips whole subtrees and the objects of the nodes it
// passes whose circles all lie out of reach. Objects that straddle a node's centre lines
// gather along those lines; the node keeps one box for the objects across its x line and one
// for the rest, so a query beside the lines passes the node without testing them.
//
// T is a pointer to a class that derives from QuadtreeObject<T>.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <list>
#include <vector>

#include "core/memory_allocator.h"
#include "core/types.h"
#include "core/vector.h"

template <class T> class Quadtree;

// A box on x and z around circles; empty until a circle grows it.
struct QuadtreeBounds {
    float minX = std::numeric_limits<float>::infinity();
    float minZ = std::numeric_limits<float>::infinity();
    float maxX = -std::numeric_limits<float>::infinity();
    float maxZ = -std::numeric_limits<float>::infinity();

    void Grow(const Vector& pos, float radius) {
        minX = std::min(minX, pos.x - radius);
        maxX = std::max(maxX, pos.x + radius);
        minZ = std::min(minZ, pos.z - radius);
        maxZ = std::max(maxZ, pos.z + radius);
    }
    // Whether the circle around pos touches the box (an empty box touches nothing).
    bool Touches(const Vector& pos, float radius) const {
        const float dx = std::max({minX - pos.x, 0.0f, pos.x - maxX});
        const float dz = std::max({minZ - pos.z, 0.0f, pos.z - maxZ});
        return minX <= maxX && dx * dx + dz * dz <= radius * radius;
    }
};

// The part of a stored object the tree keeps up to date.
template <class T> class QuadtreeObject {
  public:
    QuadtreeObject() = default;
    QuadtreeObject(const QuadtreeObject&) = delete;
    QuadtreeObject& operator=(const QuadtreeObject&) = delete;
    // An object never outlives its place in a tree: it takes itself out of its node.
    virtual ~QuadtreeObject() {
        if (m_quadtree_node != nullptr) {
            [[maybe_unused]] const bool removed = m_quadtree_node->RemoveObject(this);
            assert(removed && "Object not removed from quadtree node.");
        }
    }

    // Keeps a stored object in a node whose box holds its circle. Tested only every
    // m_update_interval + 1 calls; a node the object leaves empty is deleted (that one
    // node only: emptied ancestors stay until the next prune).
    void UpdatePosition(const Vector& pos, T self);

    Quadtree<T>* m_quadtree_node = nullptr;
    // Where the tree last saw the object, with the radius it was stored with.
    Vector m_quadtree_position;
    float m_quadtree_radius = 0.0f;
    i32 m_update_count = 0;
    i32 m_update_interval = 1;
    bool m_static = false;
    float m_radius = 0.0f;
};

template <class T> class Quadtree : public Allocator<Quadtree<T>> {
  public:
    // Shared by every tree; the building process recomputes it each time it shapes its tree.
    static inline i32 s_max_depth = 8;

    Quadtree(const Vector& halfExtents, const Vector& centre, i32 nodeDepth, Quadtree* parentNode)
        : parent(parentNode), volume(halfExtents), position(centre), depth(nodeDepth) {}
    Quadtree(const Quadtree&) = delete;
    Quadtree& operator=(const Quadtree&) = delete;
    virtual ~Quadtree() {
        for (Quadtree*& child : children) {
            delete child;
            child = nullptr;
        }
        // Objects still listed here lose their node rather than point at freed memory.
        for (T object : items) {
            Base(object)->m_quadtree_node = nullptr;
        }
    }

    virtual void Insert(const Vector& pos, float radius, T object) {
        u32 index = 0;
        const float dx = pos.x - position.x;
        const float dz = pos.z - position.z;
        if (radius >= std::fabs(dx) || radius >= std::fabs(dz) || depth >= s_max_depth) {
            Store(pos, radius, object);
            return;
        }
        if (dx > 0.0f) {
            index |= 1u;
        }
        if (dz > 0.0f) {
            index |= 2u;
        }
        MakeChild(index)->Insert(pos, radius, object);
    }

    virtual void Subdivide(int levels) {
        if (levels <= 0) {
            return;
        }
        for (u32 i = 0; i < 4; ++i) {
            if (children[i] == nullptr) {
                MakeChild(i)->Subdivide(levels - 1);
            }
        }
    }

    virtual bool IsEmpty() const {
        if (!items.empty()) {
            return false;
        }
        for (const Quadtree* child : children) {
            if (child != nullptr && !child->IsEmpty()) {
                return false;
            }
        }
        return true;
    }

    virtual Quadtree* FindNode(const Vector& pos, float radius) {
        Quadtree* node = this;
        for (;;) {
            const float dx = pos.x - node->position.x;
            const float dz = pos.z - node->position.z;
            if (radius >= std::fabs(dx) || radius >= std::fabs(dz)) {
                return node;
            }
            const u32 index = (dx > 0.0f ? 1u : 0u) | (dz > 0.0f ? 2u : 0u);
            if (node->children[index] == nullptr) {
                return node;
            }
            node = node->children[index];
        }
    }

    virtual void RemoveChild(Quadtree* child) {
        for (Quadtree*& slot : children) {
            if (slot != nullptr && slot == child) {
                delete slot;
                slot = nullptr;
                return;
            }
        }
    }

    virtual int Size() const {
        int n = static_cast<int>(items.size());
        for (const Quadtree* child : children) {
            if (child != nullptr) {
                n += child->Size();
            }
        }
        return n;
    }

    virtual int CountNodes() const {
        int n = 1;
        for (const Quadtree* child : children) {
            if (child != nullptr) {
                n += child->CountNodes();
            }
        }
        return n;
    }

    virtual int GetMaxDepth() const {
        int deepest = depth;
        for (const Quadtree* child : children) {
            if (child != nullptr) {
                const int d = child->GetMaxDepth();
                deepest = d > deepest ? d : deepest;
            }
        }
        return deepest;
    }

    virtual bool Validate() const {
        for (T object : items) {
            if (Base(object)->m_quadtree_node == nullptr) {
                return false;
            }
        }
        for (const Quadtree* child : children) {
            if (child != nullptr && !child->Validate()) {
                return false;
            }
        }
        return true;
    }

    // Deletes every empty node below this one, and this one too when it is not the root.
    virtual void Prune() {
        for (Quadtree* child : children) {
            if (child != nullptr) {
                child->Prune();
            }
        }
        if (parent != nullptr && IsEmpty()) {
            parent->RemoveChild(this);
        }
    }

    virtual bool IsLeafQuery() const { return false; }

    // Unlinks the first entry equal to object; the object's node pointer is left alone.
    bool Remove(T object) {
        for (auto it = items.begin(); it != items.end(); ++it) {
            if (*it == object) {
                items.erase(it);
                return true;
            }
        }
        return false;
    }

    // Whether the circle lies inside this node's box on x and z (touching counts).
    bool Holds(const Vector& pos, float radius) const {
        return pos.x - radius >= position.x - volume.x && pos.x + radius <= position.x + volume.x &&
               pos.z - radius >= position.z - volume.z && pos.z + radius <= position.z + volume.z;
    }

    // Records that the object, stored here, now covers the circle around pos, in this node's
    // boxes and its ancestors'.
    void Cover(const Vector& pos, float radius) {
        const float r = std::fabs(radius);
        m_item_bounds[r >= std::fabs(pos.x - position.x) ? 0 : 1].Grow(pos, r);
        for (Quadtree* node = this; node != nullptr; node = node->parent) {
            node->m_subtree_bounds.Grow(pos, r);
        }
    }

    // Every circle stored in this node or below, as last seen.
    const QuadtreeBounds& SubtreeBounds() const { return m_subtree_bounds; }
    // Whether any circle stored in this node itself may touch the circle around pos.
    bool ItemsMayTouch(const Vector& pos, float radius) const {
        return m_item_bounds[0].Touches(pos, radius) || m_item_bounds[1].Touches(pos, radius);
    }

    Quadtree* parent = nullptr;
    Quadtree* children[4] = {nullptr, nullptr, nullptr, nullptr};
    Vector volume;
    Vector position;
    i32 depth = 0;
    // Contiguous, so a search walks a node's objects without chasing links.
    std::vector<T> items;

  private:
    friend class QuadtreeObject<T>;

    static QuadtreeObject<T>* Base(T object) { return object; }

    // Unlinks the entry whose object part is this one: an object on its way out can no
    // longer be named by its full type.
    bool RemoveObject(const QuadtreeObject<T>* object) {
        for (auto it = items.begin(); it != items.end(); ++it) {
            if (Base(*it) == object) {
                items.erase(it);
                return true;
            }
        }
        return false;
    }

    void Store(const Vector& pos, float radius, T object) {
        QuadtreeObject<T>* const base = Base(object);
        base->m_quadtree_node = this;
        base->m_quadtree_position = pos;
        base->m_quadtree_radius = std::fabs(radius);
        items.push_back(object);
        Cover(pos, radius);
    }

    Quadtree* MakeChild(u32 index) {
        if (children[index] == nullptr) {
            const Vector half = volume * 0.5f;
            const float sx = (index & 1u) != 0 ? half.x : -half.x;
            const float sz = (index & 2u) != 0 ? half.z : -half.z;
            children[index] = new Quadtree(half, position + Vector(sx, 0.0f, sz), depth + 1, this);
        }
        return children[index];
    }

    // The circles of the objects stored here: those across the x centre line, and the rest.
    QuadtreeBounds m_item_bounds[2];
    QuadtreeBounds m_subtree_bounds;
};

// Collects the objects of a region of a tree into the caller's list, or into the caller's
// vector (a search that runs often keeps one and clears it, so its storage is reused).
template <class T> class QuadtreeTraversal {
  public:
    explicit QuadtreeTraversal(std::list<T>* resultList) : results(resultList) {}
    explicit QuadtreeTraversal(std::vector<T>* resultVector) : m_result_vector(resultVector) {}
    virtual ~QuadtreeTraversal() = default;

    // The items of the root, then of each node on the way down, the node's own last.
    virtual void CollectAncestors(const Quadtree<T>* node) {
        if (node == nullptr) {
            return;
        }
        CollectAncestors(node->parent);
        Append(*node);
    }

    // The node's items, then, when descending, each child's depth first in index order.
    void CollectDescendants(const Quadtree<T>* node) {
        if (node == nullptr) {
            return;
        }
        Append(*node);
        if (!descend) {
            return;
        }
        for (const Quadtree<T>* child : node->children) {
            if (child != nullptr) {
                CollectDescendants(child);
            }
        }
    }

    // The objects whose circle, where the tree last saw it, touches the circle of the given
    // reach around pos: the node's own first, then each child's depth first in index order.
    // Subtrees whose circles all lie beyond reach are skipped whole.
    void CollectNear(const Quadtree<T>* node, const Vector& pos, float reach) {
        if (node == nullptr || !node->SubtreeBounds().Touches(pos, reach)) {
            return;
        }
        if (node->ItemsMayTouch(pos, reach)) {
            for (T object : node->items) {
                const QuadtreeObject<T>* const base = object;
                const float dx = base->m_quadtree_position.x - pos.x;
                const float dz = base->m_quadtree_position.z - pos.z;
                const float r = base->m_quadtree_radius + reach;
                if (dx * dx + dz * dz <= r * r) {
                    Append(object);
                }
            }
        }
        for (const Quadtree<T>* child : node->children) {
            CollectNear(child, pos, reach);
        }
    }

    bool descend = true;
    std::list<T>* results = nullptr;

  protected:
    void Append(T object) {
        if (results != nullptr) {
            results->push_back(object);
        } else if (m_result_vector != nullptr) {
            m_result_vector->push_back(object);
        }
    }
    void Append(const Quadtree<T>& node) {
        if (results != nullptr) {
            results->insert(results->end(), node.items.begin(), node.items.end());
        } else if (m_result_vector != nullptr) {
            m_result_vector->insert(m_result_vector->end(), node.items.begin(), node.items.end());
        }
    }

  private:
    std::vector<T>* m_result_vector = nullptr;
};

template <class T> void QuadtreeObject<T>::UpdatePosition(const Vector& pos, T self) {
    Quadtree<T>* const old = m_quadtree_node;
    // The search sees every move at once, even while the object's node is not tested.
    if (old != nullptr) {
        m_quadtree_position = pos;
        old->Cover(pos, m_quadtree_radius);
    }
    m_update_count += 1;
    if (m_update_count <= m_update_interval) {
        return;
    }
    if (old == nullptr) {
        m_update_count = 0;
        return;
    }
    const float r = std::fabs(m_radius);
    if (old->Holds(pos, r)) {
        m_update_count = 0;
        return;
    }
    old->Remove(self);
    m_quadtree_node = nullptr;
    Quadtree<T>* start = old->parent;
    while (start != nullptr && !start->Holds(pos, r)) {
        start = start->parent;
    }
    if (start == nullptr) {
        start = old;
        while (start->parent != nullptr) {
            start = start->parent;
        }
    }
    start->Insert(pos, m_radius, self);
    if (old->parent != nullptr && old->IsEmpty()) {
        old->parent->RemoveChild(old);
    }
    m_update_count = 0;
}
