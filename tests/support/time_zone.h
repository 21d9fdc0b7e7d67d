#pragma once
// A test suite whose process runs in one named zone (Europe/Berlin, with its clock changes), as the
// program runs in the learner's; the zone the process had is given back after the suite.

#include <QByteArray>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace lextest {

class BerlinZoneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const char* old = std::getenv("TZ");
        savedTz_ = old ? QByteArray(old) : QByteArray();
        hadTz_ = old != nullptr;
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
    static void TearDownTestSuite()
    {
        if (hadTz_)
            setenv("TZ", savedTz_.constData(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    static inline QByteArray savedTz_;
    static inline bool hadTz_ = false;
};

} // namespace lextest
