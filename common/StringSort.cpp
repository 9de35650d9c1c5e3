#include "common/StringSort.h"

#include <algorithm>

void SortStringArray(std::vector<CString>& strings, BOOL ascending)
{
    if (strings.size() < 2) return;
    // A stable sort gives the order of the repeated adjacent-swap passes the program has
    // always produced, in n log n.
    std::stable_sort(strings.begin(), strings.end(), [ascending](const CString& a, const CString& b) {
        const int order = leaf::CompareNoCase(a.str(), b.str());
        return ascending ? order < 0 : order > 0;
    });
}
