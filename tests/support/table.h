#pragma once

#include <QTest>

#include <initializer_list>
#include <utility>

namespace fixture {

// The columns of a QTest data table in one line, types and names in the same order:
//   fixture::columns<int, QString>("index", "name");
template <typename... Types, typename... Names> void columns(Names... names) {
    static_assert(sizeof...(Types) == sizeof...(Names), "one name for each column type");
    (QTest::addColumn<Types>(names), ...);
}

// A table of one column, a row a pair of data tag and value:
//   fixture::column<bool>("lost", {{"closed by the user", false}, {"lost", true}});
template <typename T>
void column(const char *name, std::initializer_list<std::pair<const char *, T>> rows) {
    QTest::addColumn<T>(name);
    for (const auto &row : rows)
        QTest::newRow(row.first) << row.second;
}

} // namespace fixture
