#pragma once

// CSplitterWnd: a static splitter (a QSplitter) with a fixed grid of panes. Panes are
// views created by class (CreateView) and carry the pane ids AFX_IDW_PANE_FIRST + row * 16
// + column; the splitter itself has the id it was created with. Only one row or one
// column is supported (the program uses one row of two panes).

#include <vector>

#include "platform/ui/View.h"

class QSplitter;

class CSplitterWnd : public CWnd {
public:
    CSplitterWnd();
    ~CSplitterWnd() override;

    // A static splitter of rows x columns panes inside `parent`. One of rows or columns
    // must be 1. The pane widgets are empty until CreateView fills them.
    BOOL CreateStatic(CWnd* parent, int rows, int columns, DWORD style = 0, UINT id = AFX_IDW_PANE_FIRST);
    // Creates a view of `viewClass` in the pane, with an initial size (width, height).
    // FALSE when the class cannot be created or the pane still holds a view (destroy the
    // old view first to replace it).
    virtual BOOL CreateView(int row, int column, const CRuntimeClass* viewClass, SIZE initialSize,
                            CCreateContext* context);
    CWnd* GetPane(int row, int column) const;
    int IdFromRowCol(int row, int column) const { return static_cast<int>(AFX_IDW_PANE_FIRST) + row * 16 + column; }
    int GetRowCount() const { return m_rows; }
    int GetColumnCount() const { return m_columns; }
    void SetColumnInfo(int column, int ideal, int minimum);
    void SetRowInfo(int row, int ideal, int minimum);
    // Lays the panes out again (after a pane's view was replaced).
    void RecalcLayout();

    QSplitter* Splitter() const;

private:
    int Index(int row, int column) const { return row * m_columns + column; }
    // The pane index (row * columns + column) a widget of the splitter stands for, -1 for none.
    int PaneIndexOf(const QWidget* pane) const;
    QWidget* PaneWidget(int row, int column) const;
    bool ValidPane(int row, int column) const { return row >= 0 && column >= 0 && row < m_rows && column < m_columns; }

    int m_rows = 0;
    int m_columns = 0;
    std::vector<int> m_sizes;
};
