#pragma once

// CTagBalancer: makes the tags of a document nest properly. It visits every tag group in
// order and, within a group, every node in order, keeping a stack of open elements; it
// inserts the end tags that the source implied, removes end tags that close nothing,
// swaps or closes and reopens misnested elements. Elements still open at the end stay on
// the stack for the writer to close.
//
// Every step consumes a node, removes one, or closes an open element, and every lookup
// (the innermost element of a name, the innermost element that a block closes, the next
// end tag of a name in the current group) takes constant time, so the work is linear in
// the number of tags. Reopening an element after a misnested end tag is the one step that
// adds tags; it is limited by a budget, so hostile input cannot make the output grow
// without bound. Nothing recurses.

#include <deque>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "filters/html/converter/TagTree.h"

class CTagBalancer {
public:
    // reopenBudget: how many elements may be reopened after misnested end tags in all;
    // once it is spent, such elements are closed without being reopened.
    CTagBalancer(std::vector<CTagGroup>& groups, size_t reopenBudget);

    void Run();

    // The elements left open, outermost first.
    std::vector<const CTagNode*> OpenElements() const;

private:
    struct OpenElement;
    using Stack = std::list<OpenElement>;
    using StackPosition = Stack::iterator;
    using NodePosition = TagNodeList::iterator;
    struct OpenElement {
        CTagNode* node;
        NodePosition position;                          // in its group's list
        std::list<StackPosition>::iterator blockEntry;  // in m_closedByBlock, when it has that flag
    };

    void BalanceGroup(LONG groupIndex);
    void VisitStartTag(NodePosition& j);
    void VisitEndTag(NodePosition& j);

    // Node list edits of the current group, keeping the index of pending end tags.
    NodePosition InsertBefore(NodePosition j, std::unique_ptr<CTagNode> node);
    void InsertEndTagAfter(NodePosition j, std::unique_ptr<CTagNode> node);
    void Advance(NodePosition& j);
    void Remove(NodePosition& j);

    bool IsOpen(const std::string& name) const;
    void Push(NodePosition j);
    void Pop();
    void MoveToTop(StackPosition element);

    static std::unique_ptr<CTagNode> EndTagCopy(const CTagNode& node);

    std::vector<CTagGroup>& m_groups;
    size_t m_reopenBudget;
    LONG m_currentGroup = -1;

    Stack m_stack;                                                     // bottom first
    std::unordered_map<std::string, std::vector<StackPosition>> m_openByName;
    std::list<StackPosition> m_closedByBlock;                           // open elements with kTagClosedByBlock
    std::unordered_map<std::string, std::deque<NodePosition>> m_pendingEnds;  // unvisited end tags of the current group
};
