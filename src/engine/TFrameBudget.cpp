#include "engine/TFrameBudget.h"

bool TFrameBudget::take() {
    if (m_left <= 0)
        return false;
    --m_left;
    return true;
}

bool TFrameBudget::takeEmpty() {
    m_capped = true;
    if (m_closed)
        return false;
    m_closed = true;
    return true;
}
