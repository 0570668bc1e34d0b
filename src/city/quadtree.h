#pragma once
// A loose quadtree over the ground plane (x and z; y is carried but never tested). There is
// no capacity per node: an object sinks from the root as deep as its bounding circle fits in
// one quadrant, and stops at the first node whose centre lines it straddles or at the
// maximum depth. Nodes below the root come from their own pool.
//
// T is a pointer to a class that derives from QuadtreeObject<T>.
#include <cassert>
#include <cmath>
#include <list>
#include <vector>

#include "core/memory_allocator.h"
#include "core/types.h"
#include "core/vector.h"

template <class T> class Quadtree;

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
            Store(object);
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

    void Store(T object) {
        Base(object)->m_quadtree_node = this;
        items.push_back(object);
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

    bool descend = true;
    std::list<T>* results = nullptr;

  protected:
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
    m_update_count += 1;
    if (m_update_count <= m_update_interval) {
        return;
    }
    Quadtree<T>* const old = m_quadtree_node;
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
