#pragma once

// CListColumnFitter: keeps the columns of a report list filling the list's width. The
// widths the columns have when Fit is called are taken as their shares; whenever the
// list's visible width changes the columns are scaled to it, so that every column shows
// in full however wide the workspace is and no empty band is left at the right. Once the
// user drags a column divider the columns keep the widths the user gave them.

#include <QObject>
#include <QPointer>
#include <vector>

class CListCtrl;
class QAbstractItemView;

class CListColumnFitter : public QObject {
public:
    CListColumnFitter();
    ~CListColumnFitter() override;

    // Takes the list's current column widths as the shares and fits them to the list's
    // width now and on every later change of it. Calling it again (after the columns were
    // rebuilt) takes the new widths and fits again, also after the user sized a column.
    void Fit(CListCtrl* list);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply();

    QPointer<QAbstractItemView> m_view;
    std::vector<int> m_shares;
    bool m_sizedByUser = false;
    bool m_applying = false;
};
