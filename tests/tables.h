#pragma once

#include <QtTest>
#include <array>

// A _data() table's columns in one line: columns<QString, int>({"key", "word"}).
template<typename... T> void columns(const std::array<const char *, sizeof...(T)> &names)
{
    std::size_t i = 0;
    (QTest::addColumn<T>(names[i++]), ...);
}

// One row of a _data() table: row("name", a, b) stands for QTest::newRow("name") << a << b.
template<typename... T> void row(const char *name, const T &...values)
{
    (QTest::newRow(name) << ... << values);
}
