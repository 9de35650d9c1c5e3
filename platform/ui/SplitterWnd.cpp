#include "platform/ui/SplitterWnd.h"

#include <QMainWindow>
#include <QSplitter>

#include "platform/ui/FrameWnd.h"

using namespace leaf::ui;

namespace {

// An empty pane keeps its place in the splitter until a view fills it.
QWidget* MakePlaceholder(QSplitter* splitter, int index, int id) {
    auto* placeholder = new QWidget;
    placeholder->setProperty("leafPanePlaceholder", true);
    SetControlId(placeholder, id);
    splitter->insertWidget(index, placeholder);
    return placeholder;
}

}  // namespace

CSplitterWnd::CSplitterWnd() = default;

CSplitterWnd::~CSplitterWnd() = default;

QSplitter* CSplitterWnd::Splitter() const { return qobject_cast<QSplitter*>(GetWidget()); }

BOOL CSplitterWnd::CreateStatic(CWnd* parent, int rows, int columns, DWORD, UINT id) {
    if (GetWidget() || !parent || !parent->GetWidget() || rows < 1 || columns < 1 || (rows > 1 && columns > 1))
        return FALSE;
    auto* splitter = new QSplitter(columns > 1 ? Qt::Horizontal : Qt::Vertical);
    splitter->setChildrenCollapsible(false);
    m_rows = rows;
    m_columns = columns;
    m_sizes.assign(static_cast<size_t>(rows * columns), 0);
    SetControlId(splitter, static_cast<int>(id));
    if (auto* frame = dynamic_cast<CFrameWnd*>(parent); frame && frame->MainWindow())
        frame->MainWindow()->setCentralWidget(splitter);
    else
        splitter->setParent(parent->GetWidget());
    AttachCreated(splitter);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) MakePlaceholder(splitter, Index(row, column), IdFromRowCol(row, column));
    return TRUE;
}

int CSplitterWnd::PaneIndexOf(const QWidget* pane) const {
    int id = ControlId(pane) - static_cast<int>(AFX_IDW_PANE_FIRST);
    if (id < 0) return -1;
    int row = id / 16, column = id % 16;
    return ValidPane(row, column) ? Index(row, column) : -1;
}

QWidget* CSplitterWnd::PaneWidget(int row, int column) const {
    QSplitter* splitter = Splitter();
    if (!splitter || !ValidPane(row, column)) return nullptr;
    for (int i = 0; i < splitter->count(); ++i)
        if (PaneIndexOf(splitter->widget(i)) == Index(row, column)) return splitter->widget(i);
    return nullptr;
}

BOOL CSplitterWnd::CreateView(int row, int column, const CRuntimeClass* viewClass, SIZE initialSize,
                              CCreateContext* context) {
    QSplitter* splitter = Splitter();
    if (!splitter || !ValidPane(row, column) || !viewClass || !viewClass->m_pfnCreateObject) return FALSE;
    // A pane that still shows a view must be emptied (the view destroyed) first.
    QWidget* old = PaneWidget(row, column);
    if (old && !old->property("leafPanePlaceholder").toBool()) return FALSE;
    CObject* object = viewClass->CreateObject();
    auto* view = dynamic_cast<CView*>(object);
    if (!view) {
        delete object;
        return FALSE;
    }
    if (!view->Create(this, static_cast<UINT>(IdFromRowCol(row, column)), context)) {
        delete view;
        return FALSE;
    }
    view->m_bAutoDelete = TRUE;
    delete old;   // the placeholder
    // The pane goes after the panes before it.
    const int index = Index(row, column);
    int position = 0;
    QWidget* pane = view->GetWidget();
    for (int i = 0; i < splitter->count(); ++i) {
        QWidget* other = splitter->widget(i);
        if (other != pane && PaneIndexOf(other) < index) ++position;
    }
    splitter->insertWidget(position, pane);
    // When the splitter is resized the last pane takes the change and the others keep
    // their widths, as RecalcLayout places them.
    for (int i = 0; i < splitter->count(); ++i) splitter->setStretchFactor(i, i + 1 == splitter->count() ? 1 : 0);
    pane->show();
    int ideal = m_columns > 1 ? initialSize.cx : initialSize.cy;
    if (ideal > 0 && m_sizes[static_cast<size_t>(index)] <= 0) m_sizes[static_cast<size_t>(index)] = ideal;
    RecalcLayout();
    return TRUE;
}

CWnd* CSplitterWnd::GetPane(int row, int column) const {
    QWidget* pane = PaneWidget(row, column);
    if (!pane || pane->property("leafPanePlaceholder").toBool()) return nullptr;
    return FromHandlePermanent(pane);
}

void CSplitterWnd::SetColumnInfo(int column, int ideal, int) {
    if (m_rows == 1 && column >= 0 && column < m_columns) m_sizes[static_cast<size_t>(column)] = ideal;
}

void CSplitterWnd::SetRowInfo(int row, int ideal, int) {
    if (m_columns == 1 && row >= 0 && row < m_rows) m_sizes[static_cast<size_t>(row)] = ideal;
}

void CSplitterWnd::RecalcLayout() {
    QSplitter* splitter = Splitter();
    if (!splitter || splitter->count() == 0) return;
    // Panes with an ideal size keep it; the last pane takes what is left.
    QList<int> sizes = splitter->sizes();
    int total = 0;
    for (int size : sizes) total += size;
    if (total <= 0) total = splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
    int used = 0;
    for (int i = 0; i + 1 < sizes.size(); ++i) {
        int pane = PaneIndexOf(splitter->widget(i));
        if (pane >= 0 && m_sizes[static_cast<size_t>(pane)] > 0) sizes[i] = m_sizes[static_cast<size_t>(pane)];
        used += sizes[i];
    }
    sizes.last() = std::max(0, total - used);
    splitter->setSizes(sizes);
}
