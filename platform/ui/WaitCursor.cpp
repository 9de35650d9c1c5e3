#include "platform/ui/WaitCursor.h"

#include <QApplication>
#include <QCursor>

namespace {
int g_depth = 0;
}

CWaitCursor::CWaitCursor() {
    if (qApp) QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    ++g_depth;
    m_showing = true;
}

CWaitCursor::~CWaitCursor() { Restore(); }

void CWaitCursor::Restore() {
    if (!m_showing) return;
    m_showing = false;
    --g_depth;
    if (qApp) QApplication::restoreOverrideCursor();
}

bool CWaitCursor::IsShowing() { return g_depth > 0; }
