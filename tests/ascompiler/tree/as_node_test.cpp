#include "ascompiler/tree/as_node_impl.h"
#include "ascompiler/tree/node_factory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using translate::ASNode;
using translate::ASNodeImpl;

namespace {

using NodePtr = std::unique_ptr<ASNode, translate::Destroyer>;

NodePtr Leaf(const char* name) {
    return NodePtr(translate::ValueASNode(ASNode::Identifier, name));
}

} // namespace

TEST(ASNodeTest, ChildArrayGrowsToTwiceTheCountPlusOne) {
    NodePtr list(translate::NewASNode(ASNode::List));
    auto* impl = static_cast<ASNodeImpl*>(list.get());
    EXPECT_EQ(impl->capacity(), 4u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list->append(Leaf("x").release()), i + 1);
    EXPECT_EQ(impl->capacity(), 9u);
    for (int i = 0; i < 5; ++i)
        list->append(Leaf("y").release());
    EXPECT_EQ(impl->capacity(), 19u);
}

TEST(ASNodeTest, InsertSetRemoveAndIndexOfKeepParentsRight) {
    NodePtr list(translate::NewASNode(ASNode::List));
    ASNode* a = Leaf("a").release();
    ASNode* c = Leaf("c").release();
    list->append(a);
    list->append(c);
    NodePtr late = Leaf("late");
    EXPECT_EQ(list->insert(2, late.get()), 0); // appending goes through append
    EXPECT_EQ(late->getParent(), nullptr);
    ASNode* b = Leaf("b").release();
    EXPECT_EQ(list->insert(1, b), 1);
    EXPECT_EQ(b->getParent(), list.get());
    EXPECT_STREQ(list->get(1)->getValue(), "b");
    EXPECT_EQ(list->get(3), nullptr);
    EXPECT_EQ(list->indexOf(c), 2);
    EXPECT_EQ(list->indexOf(late.get()), -1);

    NodePtr old(list->set(0, late.release()));
    EXPECT_EQ(old.get(), a);
    EXPECT_EQ(old->getParent(), nullptr);
    EXPECT_EQ(list->set(7, old.get()), nullptr);

    NodePtr removed(list->remove(2));
    EXPECT_EQ(removed.get(), c);
    EXPECT_EQ(removed->getParent(), nullptr);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->remove(2), nullptr);
}

TEST(ASNodeTest, RefusesANodeThatAlreadyHasAParent) {
    NodePtr first(translate::NewASNode(ASNode::List));
    NodePtr second(translate::NewASNode(ASNode::List));
    ASNode* child = Leaf("x").release();
    first->append(child);
    EXPECT_EQ(second->append(child), 0);
    EXPECT_EQ(second->insert(0, child), 0);
    EXPECT_EQ(child->getParent(), first.get());
    EXPECT_EQ(first->append(first.get()), 1);
    ASNode* inner = translate::NewASNode(ASNode::List);
    first->append(inner);
    second->append(Leaf("y").release());
    EXPECT_EQ(second->set(0, inner), nullptr);
    EXPECT_EQ(first->count(), 2);
}

TEST(ASNodeTest, ToStringPrintsNameAndValue) {
    struct Case {
        ASNode::NodeType type;
        const char* value;
        const char* text;
    };
    const Case cases[] = {
        {ASNode::String, "abc", "String = \"abc\"; "},
        {ASNode::String, "", "String = \"\"; "},
        {ASNode::Number, "", "Number"},
        {ASNode::Number, "1.5", "Number = 1.5; "},
        {ASNode::List, "", "List"},
        {ASNode::BitOr, "", "|"},
        {ASNode::Or, "", "||"},
        {ASNode::AssignBitOr, "", "|="},
        {ASNode::DefineFunction, "f", "Define Function = f; "},
        {ASNode::InstanceOf, "", "instanceof"},
    };
    for (const Case& c : cases) {
        NodePtr node(translate::ValueASNode(c.type, c.value));
        EXPECT_STREQ(node->toString(), c.text);
    }
}

TEST(ASNodeTest, CloneTreeCopiesShapeNotStatus) {
    NodePtr tree(translate::BinaryASNode(ASNode::Add, Leaf("a").release(),
                                         translate::ValueASNode(ASNode::Number, "2")));
    tree->setStatus(1);
    tree->get(0)->setStatus(1);
    NodePtr copy(tree->cloneTree());
    ASSERT_EQ(copy->count(), 2);
    EXPECT_EQ(copy->getType(), ASNode::Add);
    EXPECT_EQ(copy->getStatus(), 0);
    EXPECT_EQ(copy->get(0)->getStatus(), 0);
    EXPECT_STREQ(copy->get(0)->getValue(), "a");
    EXPECT_EQ(copy->get(1)->getType(), ASNode::Number);
    EXPECT_EQ(copy->get(1)->getParent(), copy.get());
    NodePtr bare(tree->clone());
    EXPECT_EQ(bare->count(), 0);
}

TEST(ASNodeTest, DeepChainsCloneAndDestroyWithoutRecursion) {
    // Deep enough to overflow the stack if either walk recursed.
    ASNode* chain = Leaf("a").release();
    for (int i = 0; i < 300000; ++i)
        chain = translate::BinaryASNode(ASNode::Add, chain, Leaf("b").release());
    NodePtr root(chain);
    NodePtr copy(root->cloneTree());
    int depth = 0;
    for (ASNode* node = copy.get(); node->count() > 0; node = node->get(0))
        ++depth;
    EXPECT_EQ(depth, 300000);
}
