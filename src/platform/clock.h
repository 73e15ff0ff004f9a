// Clock: today's date, fixed in tests.
#pragma once

#include <QDate>

namespace brelune {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
};

class SystemClock : public Clock {
public:
    QDate today() const override { return QDate::currentDate(); }
};

} // namespace brelune
