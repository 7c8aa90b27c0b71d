// Tests that need widgets run inside the register's own application object.
#include "shell/KassenAnwendung.h"
#include "shell/Regional.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    KassenAnwendung app(argc, argv);
    Regional::setzen(QLocale(QLocale::German, QLocale::Germany));
    return RUN_ALL_TESTS();
}
