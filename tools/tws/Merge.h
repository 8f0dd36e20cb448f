// Joining the surveys of one site taken by several surveyors into one site
// file: the pieces of `tws merge` that decide what the joined file holds.
#pragma once

#include "sitefile/SiteBitmap.h"
#include "store/RecordList.h"

#include <optional>
#include <string>
#include <unordered_set>

namespace marlow::tws {

// The first way the other plan differs from the first, in words (its size,
// a colour-table entry's colour, or a pixel); nothing when they show the
// same picture, however their rows are stored.
std::optional<std::string> planDifference(const SiteBitmap& first, const SiteBitmap& other);

// The store one surveyor would hold with the points of every site, in
// order, for Save Site Data to write. A point whose stored bytes (point
// record and access-point records) an earlier point already had is left
// out.
class PointJoiner {
public:
    // Appends the records of one more site, as loadPointsAsStored gives
    // them: point by point, each as Save Site Data stores it.
    void add(const RecordList& loaded);
    const RecordList& store() const { return m_store; }

private:
    RecordList m_store;
    std::unordered_set<std::string> m_seen;
};

} // namespace marlow::tws
