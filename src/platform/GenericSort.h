// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringList>

#include <vector>

// The grid's generic sort: two cells that both start with a number compare by its value ("9个"
// before "12个", "-3" before "2.5"), a cell with a number comes before one without, and two texts
// compare by their characters; descending turns that order round. Equal keys keep their order
// either way. Returns the positions of `cells` in sorted order.
std::vector<int> genericSortOrder(const QStringList& cells, bool descending);
