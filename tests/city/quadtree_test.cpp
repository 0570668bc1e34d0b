#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <memory>
#include <random>
#include <vector>

#include "city/quadtree.h"

namespace {

struct Item : QuadtreeObject<Item*> {};
using Tree = Quadtree<Item*>;

// A root 100 wide on x and z around the origin, with a maximum depth for the test.
class QuadtreeTest : public ::testing::Test {
  protected:
    explicit QuadtreeTest(int maxDepth = 3) : m_saved_depth(Tree::s_max_depth) {
        Tree::s_max_depth = maxDepth;
    }
    ~QuadtreeTest() override { Tree::s_max_depth = m_saved_depth; }

    Item* Put(float x, float z, float radius) {
        items.push_back(std::make_unique<Item>());
        Item* item = items.back().get();
        root.Insert(Vector(x, 0.0f, z), radius, item);
        item->m_radius = radius;
        item->m_update_interval = 2;
        return item;
    }

    const int m_saved_depth;
    Tree root{Vector(100.0f, 100.0f, 100.0f), Vector(0.0f, 0.0f, 0.0f), 0, nullptr};
    // Declared after the root so that the items leave their nodes before the tree goes.
    std::vector<std::unique_ptr<Item>> items;
};

// The objects whose circle touches the query circle, by looking at every one.
std::vector<Item*> Touching(const std::vector<std::unique_ptr<Item>>& items, const Vector& at,
                            float reach) {
    std::vector<Item*> out;
    for (const auto& item : items) {
        const float dx = item->m_quadtree_position.x - at.x;
        const float dz = item->m_quadtree_position.z - at.z;
        const float r = item->m_radius + reach;
        if (dx * dx + dz * dz <= r * r) {
            out.push_back(item.get());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<Item*> Near(const Tree& root, const Vector& at, float reach) {
    std::vector<Item*> found;
    QuadtreeTraversal<Item*> traversal(&found);
    traversal.CollectNear(&root, at, reach);
    std::sort(found.begin(), found.end());
    return found;
}

TEST_F(QuadtreeTest, ACircleTouchingTheCentreLineStaysInTheRoot) {
    Item* item = Put(10.0f, 50.0f, 10.0f);
    EXPECT_EQ(item->m_quadtree_node, &root);
    EXPECT_EQ(root.CountNodes(), 1);
    // d = 0 is always stored at the node.
    EXPECT_EQ(Put(0.0f, 50.0f, 0.0f)->m_quadtree_node, &root);
}

TEST_F(QuadtreeTest, WithMaximumDepthZeroEverythingStaysInTheRoot) {
    Tree::s_max_depth = 0;
    for (const float x : {-70.0f, 30.0f, 80.0f}) {
        EXPECT_EQ(Put(x, x, 1.0f)->m_quadtree_node, &root);
    }
    EXPECT_EQ(root.Size(), 3);
    EXPECT_EQ(root.CountNodes(), 1);
}

TEST_F(QuadtreeTest, OneObjectPerQuadrantMakesOnlyThePathsUsed) {
    const float xs[4] = {-60.0f, 60.0f, -60.0f, 60.0f};
    const float zs[4] = {-60.0f, -60.0f, 60.0f, 60.0f};
    for (int i = 0; i < 4; ++i) {
        Item* item = Put(xs[i], zs[i], 1.0f);
        EXPECT_EQ(item->m_quadtree_node->depth, 3);
    }
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(root.children[i], nullptr) << i;
        EXPECT_EQ(root.children[i]->position.x, xs[i] > 0 ? 50.0f : -50.0f);
        EXPECT_EQ(root.children[i]->position.z, zs[i] > 0 ? 50.0f : -50.0f);
        EXPECT_EQ(root.children[i]->volume.x, 50.0f);
        EXPECT_EQ(root.children[i]->CountNodes(), 3);
    }
    EXPECT_EQ(root.CountNodes(), 1 + 4 * 3);
    EXPECT_EQ(root.GetMaxDepth(), 3);
    EXPECT_EQ(root.Size(), 4);
    EXPECT_TRUE(root.Validate());
}

TEST_F(QuadtreeTest, SizeCountsEveryLevelAndALoneRootIsOneNode) {
    EXPECT_EQ(root.CountNodes(), 1);
    EXPECT_TRUE(root.IsEmpty());
    Put(0.0f, 0.0f, 5.0f);
    Put(60.0f, 60.0f, 30.0f);
    Put(-60.0f, 70.0f, 1.0f);
    EXPECT_EQ(root.Size(), 3);
    EXPECT_FALSE(root.IsEmpty());
}

TEST_F(QuadtreeTest, AStoredObjectIsTestedEveryThirdCall) {
    Item* item = Put(-60.0f, -60.0f, 1.0f);
    Tree* leaf = item->m_quadtree_node;
    // Far outside its leaf: only the third call moves it.
    const Vector away(60.0f, 0.0f, 60.0f);
    item->UpdatePosition(away, item);
    item->UpdatePosition(away, item);
    EXPECT_EQ(item->m_quadtree_node, leaf);
    EXPECT_EQ(item->m_update_count, 2);
    // Still listed in its old leaf, yet a search sees the move at once: it finds the item at
    // its new place, far from that leaf, and not at the old one.
    EXPECT_EQ(Near(root, Vector(63.0f, 0.0f, 60.0f), 2.5f), (std::vector<Item*>{item}));
    EXPECT_TRUE(Near(root, Vector(-60.0f, 0.0f, -60.0f), 2.0f).empty());
    item->UpdatePosition(away, item);
    EXPECT_NE(item->m_quadtree_node, nullptr);
    EXPECT_EQ(item->m_update_count, 0);
    EXPECT_EQ(item->m_quadtree_node->position.x, 62.5f);
    EXPECT_EQ(root.Size(), 1);
    EXPECT_EQ(Near(root, Vector(63.0f, 0.0f, 60.0f), 2.5f), (std::vector<Item*>{item}));
}

TEST_F(QuadtreeTest, LeavingALeafPrunesThatLeafButNotTheEmptiedGrandparent) {
    Item* item = Put(-60.0f, -60.0f, 1.0f);
    Tree* leaf = item->m_quadtree_node;
    ASSERT_EQ(leaf->depth, 3);
    Tree* parent = leaf->parent;
    Tree* grandparent = parent->parent;
    for (int i = 0; i < 3; ++i) {
        item->UpdatePosition(Vector(60.0f, 0.0f, 60.0f), item);
    }
    // The leaf is gone from its parent; the parent and grandparent stay, empty.
    for (const Tree* child : parent->children) {
        EXPECT_EQ(child, nullptr);
    }
    EXPECT_EQ(root.children[0], grandparent);
    EXPECT_EQ(grandparent->children[0], parent);
    EXPECT_TRUE(grandparent->IsEmpty());
    // Prune takes the rest of the empty branch.
    root.Prune();
    EXPECT_EQ(root.children[0], nullptr);
    EXPECT_EQ(root.Size(), 1);
}

TEST_F(QuadtreeTest, AnObjectStillInsideItsNodeOnlyResetsItsCount) {
    Item* item = Put(-60.0f, -60.0f, 1.0f);
    Tree* leaf = item->m_quadtree_node;
    for (int i = 0; i < 3; ++i) {
        item->UpdatePosition(Vector(-61.0f, 0.0f, -61.0f), item);
    }
    EXPECT_EQ(item->m_quadtree_node, leaf);
    EXPECT_EQ(item->m_update_count, 0);
}

TEST_F(QuadtreeTest, FindNodeOutsideTheRootAnswersTheDeepestNodeOnThePath) {
    // The item lies at (62.5, 62.5) under (75, 75); the path to (500, 500) leaves there.
    Item* item = Put(60.0f, 60.0f, 1.0f);
    Tree* const deepest = item->m_quadtree_node->parent;
    ASSERT_EQ(deepest->position.x, 75.0f);
    EXPECT_EQ(root.FindNode(Vector(500.0f, 0.0f, 500.0f), 1.0f), deepest);
    EXPECT_EQ(root.FindNode(Vector(61.0f, 0.0f, 61.0f), 1.0f), item->m_quadtree_node);
    // A circle over a centre line stops there.
    EXPECT_EQ(root.FindNode(Vector(500.0f, 0.0f, 500.0f), 600.0f), &root);
    // A quadrant without children answers the root.
    EXPECT_EQ(root.FindNode(Vector(-500.0f, 0.0f, -500.0f), 1.0f), &root);
}

TEST_F(QuadtreeTest, CollectAncestorsGoesRootFirstAndDescendantsDepthFirst) {
    Item* inRoot = Put(0.0f, 0.0f, 5.0f);
    Item* depth1 = Put(50.0f, 50.0f, 1.0f);
    Item* depth2 = Put(75.0f, 75.0f, 1.0f);
    Item* deeper = Put(90.0f, 90.0f, 1.0f);
    Tree* node = depth2->m_quadtree_node;
    ASSERT_EQ(node->depth, 2);
    ASSERT_EQ(depth1->m_quadtree_node->depth, 1);

    std::list<Item*> found;
    QuadtreeTraversal<Item*> traversal(&found);
    traversal.CollectAncestors(node);
    EXPECT_EQ(found, (std::list<Item*>{inRoot, depth1, depth2}));

    found.clear();
    traversal.CollectDescendants(depth1->m_quadtree_node);
    EXPECT_EQ(found, (std::list<Item*>{depth1, depth2, deeper}));

    found.clear();
    traversal.descend = false;
    traversal.CollectDescendants(depth1->m_quadtree_node);
    EXPECT_EQ(found, (std::list<Item*>{depth1}));

    found.clear();
    traversal.CollectAncestors(nullptr);
    EXPECT_TRUE(found.empty());
}

TEST_F(QuadtreeTest, CollectNearFindsExactlyTheCirclesInReach) {
    // Small and wide circles all over the root and beyond it: many straddle centre lines at
    // some depth, some sink to leaves far outside the root's box.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> where(-140.0f, 140.0f);
    std::uniform_real_distribution<float> size(0.0f, 25.0f);
    for (int i = 0; i < 300; ++i) {
        Put(where(random), where(random), size(random));
    }
    for (int q = 0; q < 400; ++q) {
        const Vector at(where(random), 0.0f, where(random));
        const float reach = size(random) * 2.0f;
        ASSERT_EQ(Near(root, at, reach), Touching(items, at, reach))
            << "query " << q << " at " << at.x << ", " << at.z << " reach " << reach;
    }
}

TEST_F(QuadtreeTest, CollectNearKeepsAStraddlerInReachAndDropsOneJustBeyond) {
    // Both straddle the root's x centre line and sit high in the tree; the query lies deep in
    // the (+x, +z) quadrant, whose subtree holds nothing in reach.
    Item* inReach = Put(2.0f, 60.0f, 8.0f);
    Item* beyond = Put(0.0f, 68.0f, 10.0f);
    Put(62.5f, 87.5f, 1.0f);
    ASSERT_EQ(inReach->m_quadtree_node, &root);
    ASSERT_EQ(beyond->m_quadtree_node, &root);
    const Vector at(40.0f, 0.0f, 60.0f);
    // 38 from the centre of the first: its circle (8) meets a reach of 30 exactly. The
    // second, 40.8 away, is 0.8 beyond a reach of 30 plus its radius.
    EXPECT_EQ(Near(root, at, 30.0f), (std::vector<Item*>{inReach}));
    EXPECT_EQ(Near(root, at, 30.7f), (std::vector<Item*>{inReach}));
    EXPECT_EQ(Near(root, at, 31.0f).size(), 2u);
    EXPECT_TRUE(Near(root, at, 29.9f).empty());
}

TEST_F(QuadtreeTest, CollectNearGoesRootFirstThenDepthFirst) {
    Item* inRoot = Put(0.0f, 0.0f, 5.0f);
    Item* depth1 = Put(50.0f, 50.0f, 1.0f);
    Item* deeper = Put(60.0f, 60.0f, 1.0f);
    std::vector<Item*> found;
    QuadtreeTraversal<Item*> traversal(&found);
    traversal.CollectNear(&root, Vector(30.0f, 0.0f, 30.0f), 100.0f);
    EXPECT_EQ(found, (std::vector<Item*>{inRoot, depth1, deeper}));
    found.clear();
    traversal.CollectNear(nullptr, Vector(), 100.0f);
    EXPECT_TRUE(found.empty());
}

TEST_F(QuadtreeTest, RemoveOfAnObjectNotInTheNodeChangesNothing) {
    Item* stored = Put(0.0f, 0.0f, 5.0f);
    Item stranger;
    EXPECT_FALSE(root.Remove(&stranger));
    EXPECT_EQ(root.Size(), 1);
    EXPECT_TRUE(root.Remove(stored));
    EXPECT_EQ(root.Size(), 0);
    // Remove leaves the object's node alone; the object is put back for its destructor.
    EXPECT_EQ(stored->m_quadtree_node, &root);
    root.items.push_back(stored);
}

TEST_F(QuadtreeTest, AnObjectLeavesItsNodeWhenItIsDestroyed) {
    Put(60.0f, 60.0f, 1.0f);
    Put(60.0f, 60.0f, 1.0f);
    items.pop_back();
    EXPECT_EQ(root.Size(), 1);
    EXPECT_TRUE(root.Validate());
}

TEST_F(QuadtreeTest, SubdivideFillsOnlyEmptySlots) {
    Item* item = Put(60.0f, 60.0f, 1.0f);
    Tree* kept = root.children[3];
    root.Subdivide(2);
    EXPECT_EQ(root.children[3], kept);
    EXPECT_EQ(item->m_quadtree_node->depth, 3);
    // Three new children with four each; the kept branch (3 nodes) is not descended into.
    EXPECT_EQ(kept->CountNodes(), 3);
    EXPECT_EQ(root.CountNodes(), 1 + 3 * 5 + 3);
    root.Subdivide(0);
    EXPECT_EQ(root.CountNodes(), 1 + 3 * 5 + 3);
}

TEST_F(QuadtreeTest, RemoveChildIgnoresAStranger) {
    Put(60.0f, 60.0f, 1.0f);
    Tree stranger(Vector(1.0f, 1.0f, 1.0f), Vector(), 1, &root);
    const int before = root.CountNodes();
    root.RemoveChild(&stranger);
    EXPECT_EQ(root.CountNodes(), before);
}

} // namespace
