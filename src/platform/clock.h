// Clock: today's date and the time of day, fixed in tests.
#pragma once

#include <QDate>
#include <QTime>

namespace brelune {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    virtual QTime now() const = 0;
};

class SystemClock : public Clock {
public:
    QDate today() const override { return QDate::currentDate(); }
    QTime now() const override { return QTime::currentTime(); }
};

} // namespace brelune
