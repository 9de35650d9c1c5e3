#include "studio/workspace/ListColumnFitter.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>

#include "platform/ui/ListCtrl.h"

namespace {
// No column is squeezed below this, so that its heading stays a target for the mouse.
constexpr int kMinimumColumnWidth = 24;
}  // namespace

CListColumnFitter::CListColumnFitter() = default;

CListColumnFitter::~CListColumnFitter() {
    if (m_view) m_view->viewport()->removeEventFilter(this);
}

void CListColumnFitter::Fit(CListCtrl* list) {
    auto* tree = list ? qobject_cast<QTreeView*>(list->View()) : nullptr;
    if (!tree) return;
    if (m_view != tree) {
        if (m_view) {
            m_view->viewport()->removeEventFilter(this);
            if (auto* old = qobject_cast<QTreeView*>(m_view.data())) old->header()->disconnect(this);
        }
        m_view = tree;
        tree->viewport()->installEventFilter(this);
        // A divider dragged by the user: from then on the user's widths stand.
        connect(tree->header(), &QHeaderView::sectionResized, this, [this] {
            if (!m_applying) m_sizedByUser = true;
        });
    }
    m_shares.clear();
    for (int column = 0; column < list->GetColumnCount(); ++column)
        m_shares.push_back(std::max(list->GetColumnWidth(column), 1));
    m_sizedByUser = false;
    Apply();
}

bool CListColumnFitter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && m_view && watched == m_view->viewport()) Apply();
    return QObject::eventFilter(watched, event);
}

void CListColumnFitter::Apply() {
    auto* tree = qobject_cast<QTreeView*>(m_view.data());
    if (!tree || m_sizedByUser || m_shares.empty()) return;
    const int columns = std::min(static_cast<int>(m_shares.size()), tree->header()->count());
    const int width = tree->viewport()->width();
    if (columns <= 0 || width <= 0) return;
    long long total = 0;
    for (int column = 0; column < columns; ++column) total += m_shares[static_cast<size_t>(column)];
    m_applying = true;
    // Each column's right edge is its share of the width, rounded, so the last one ends
    // exactly at the list's right edge.
    long long shareSoFar = 0;
    int left = 0;
    for (int column = 0; column < columns; ++column) {
        shareSoFar += m_shares[static_cast<size_t>(column)];
        const int right = static_cast<int>((shareSoFar * width + total / 2) / total);
        tree->setColumnWidth(column, std::max(right - left, kMinimumColumnWidth));
        left = right;
    }
    m_applying = false;
}
