// The view's flows mark the view as inside their dialogs for as long as they run, so that
// a drop or a shell request arriving then cannot start a second flow over the first's fields.
#pragma once

#include <windows.h>

class CPreparingScope {
public:
    explicit CPreparingScope(BOOL& flag) : m_flag(flag) { m_flag = TRUE; }
    ~CPreparingScope() { m_flag = FALSE; }
    CPreparingScope(const CPreparingScope&) = delete;
    CPreparingScope& operator=(const CPreparingScope&) = delete;

private:
    BOOL& m_flag;
};
