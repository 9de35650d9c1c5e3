#include "filters/html/converter/TagBalancer.h"

#include "markup/MarkupTables.h"

using leaf::markup::kTagClosedByBlock;
using leaf::markup::kTagEmpty;
using leaf::markup::kTagOptionalEnd;
using leaf::markup::kTagStartsBlock;

CTagBalancer::CTagBalancer(std::vector<CTagGroup>& groups, size_t reopenBudget)
    : m_groups(groups), m_reopenBudget(reopenBudget) {}

void CTagBalancer::Run() {
    for (size_t g = 0; g < m_groups.size(); ++g) BalanceGroup(static_cast<LONG>(g));
}

std::vector<const CTagNode*> CTagBalancer::OpenElements() const {
    std::vector<const CTagNode*> open;
    open.reserve(m_stack.size());
    for (const OpenElement& element : m_stack) open.push_back(element.node);
    return open;
}

void CTagBalancer::BalanceGroup(LONG groupIndex) {
    m_currentGroup = groupIndex;
    TagNodeList& nodes = m_groups[groupIndex].nodes;
    m_pendingEnds.clear();
    for (auto it = nodes.begin(); it != nodes.end(); ++it) {
        if ((*it)->endTag) m_pendingEnds[(*it)->name.str()].push_back(it);
    }
    NodePosition j = nodes.begin();
    while (j != nodes.end()) {
        if ((*j)->endTag) {
            VisitEndTag(j);
        } else {
            VisitStartTag(j);
        }
    }
}

void CTagBalancer::VisitStartTag(NodePosition& j) {
    CTagNode& q = **j;
    if (q.flags & kTagOptionalEnd) {
        if (q.flags & kTagEmpty) {
            // An empty element whose end tag may be left out gets an explicit one.
            if (!q.closingCopyAdded) {
                q.closingCopyAdded = true;
                InsertEndTagAfter(j, EndTagCopy(q));
            }
        } else if (IsOpen(q.name.str())) {
            // A second <p> (or <li>, <option>...) closes the open one first.
            j = InsertBefore(j, EndTagCopy(q));
            return;
        }
    }
    if ((q.flags & kTagStartsBlock) && !m_closedByBlock.empty()) {
        const OpenElement& closable = *m_closedByBlock.back();
        j = InsertBefore(j, EndTagCopy(*closable.node));
        return;
    }
    if ((q.flags & kTagEmpty) && !(q.flags & kTagOptionalEnd)) {
        Advance(j);  // opened and closed at once
        return;
    }
    Push(j);
    Advance(j);
}

void CTagBalancer::VisitEndTag(NodePosition& j) {
    CTagNode& q = **j;
    const auto byName = m_openByName.find(q.name.str());
    if (byName == m_openByName.end() || byName->second.empty()) {
        Remove(j);  // an end tag without a start tag disappears
        return;
    }
    const StackPosition innermostOfName = byName->second.back();
    const StackPosition top = std::prev(m_stack.end());
    if (innermostOfName == top) {
        Pop();
        Advance(j);
        return;
    }
    const CTagNode& topNode = *top->node;
    if (topNode.flags & kTagOptionalEnd) {
        j = InsertBefore(j, EndTagCopy(topNode));
        return;
    }
    const auto laterEnds = m_pendingEnds.find(topNode.name.str());
    if (laterEnds != m_pendingEnds.end() && !laterEnds->second.empty()) {
        // The same run closes the inner element later: close it here instead.
        const NodePosition later = laterEnds->second.front();
        m_groups[m_currentGroup].nodes.splice(j, m_groups[m_currentGroup].nodes, later);
        j = later;
        return;
    }
    if (innermostOfName->node->groupIndex == topNode.groupIndex) {
        // Both start tags stand in one run (and the stack keeps a run's order): swap
        // their nesting, so the element being closed becomes the inner one.
        TagNodeList& run = m_groups[topNode.groupIndex].nodes;
        run.splice(std::next(top->position), run, innermostOfName->position);
        MoveToTop(innermostOfName);
        return;
    }
    // Close the inner element before this end tag and open it again after it.
    const NodePosition endTag = j;
    const bool reopen = !leaf::EqualsNoCase(q.name.str(), "body") && !leaf::EqualsNoCase(q.name.str(), "html") &&
                        m_reopenBudget > 0;
    if (reopen) {
        --m_reopenBudget;
        auto copy = std::make_unique<CTagNode>();
        copy->name = topNode.name;
        copy->attributes = topNode.attributes;
        copy->flags = topNode.flags;
        copy->groupIndex = m_currentGroup;
        m_groups[m_currentGroup].nodes.insert(std::next(endTag), std::move(copy));
    }
    j = InsertBefore(endTag, EndTagCopy(topNode));
}

CTagBalancer::NodePosition CTagBalancer::InsertBefore(NodePosition j, std::unique_ptr<CTagNode> node) {
    const bool endTag = node->endTag;
    const std::string name = node->name.str();
    const NodePosition inserted = m_groups[m_currentGroup].nodes.insert(j, std::move(node));
    // It stands before every unvisited node, so it is the first pending end tag of its name.
    if (endTag) m_pendingEnds[name].push_front(inserted);
    return inserted;
}

void CTagBalancer::InsertEndTagAfter(NodePosition j, std::unique_ptr<CTagNode> node) {
    // j is a start tag being visited: the new end tag is the first pending one.
    const std::string name = node->name.str();
    const NodePosition inserted = m_groups[m_currentGroup].nodes.insert(std::next(j), std::move(node));
    m_pendingEnds[name].push_front(inserted);
}

void CTagBalancer::Advance(NodePosition& j) {
    if ((*j)->endTag) m_pendingEnds[(*j)->name.str()].pop_front();
    ++j;
}

void CTagBalancer::Remove(NodePosition& j) {
    m_pendingEnds[(*j)->name.str()].pop_front();
    j = m_groups[m_currentGroup].nodes.erase(j);
}

bool CTagBalancer::IsOpen(const std::string& name) const {
    const auto found = m_openByName.find(name);
    return found != m_openByName.end() && !found->second.empty();
}

void CTagBalancer::Push(NodePosition j) {
    CTagNode* node = j->get();
    const StackPosition element = m_stack.insert(m_stack.end(), OpenElement{node, j, {}});
    if (node->flags & kTagClosedByBlock) element->blockEntry = m_closedByBlock.insert(m_closedByBlock.end(), element);
    m_openByName[node->name.str()].push_back(element);
}

void CTagBalancer::Pop() {
    const StackPosition top = std::prev(m_stack.end());
    if (top->node->flags & kTagClosedByBlock) m_closedByBlock.erase(top->blockEntry);
    m_openByName[top->node->name.str()].pop_back();
    m_stack.erase(top);
}

void CTagBalancer::MoveToTop(StackPosition element) {
    // The element stays the innermost of its name; among the elements a block closes it
    // becomes the innermost too.
    m_stack.splice(m_stack.end(), m_stack, element);
    if (element->node->flags & kTagClosedByBlock) {
        m_closedByBlock.splice(m_closedByBlock.end(), m_closedByBlock, element->blockEntry);
    }
}

std::unique_ptr<CTagNode> CTagBalancer::EndTagCopy(const CTagNode& node) {
    auto copy = std::make_unique<CTagNode>();
    copy->name = node.name;
    copy->endTag = TRUE;
    copy->flags = node.flags;
    copy->groupIndex = node.groupIndex;
    return copy;
}
