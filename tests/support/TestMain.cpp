#include "TestMain.h"

#ifdef TESSRA_TEST_WINDOW
#include <QApplication>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

#include <map>
#include <memory>
#include <string>

static std::map<std::string, std::function<QObject *()>> &tests()
{
    static std::map<std::string, std::function<QObject *()>> registered;
    return registered;
}

int TestMain::add(const char *name, std::function<QObject *()> make)
{
    tests()[name] = std::move(make);
    return int(tests().size());
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    if (argc > 1 && tests().count(argv[1])) {
        const std::unique_ptr<QObject> test(tests()[argv[1]]());
        argv[1] = argv[0];
        return QTest::qExec(test.get(), argc - 1, argv + 1);
    }
    int failed = 0;
    for (const auto &[name, make] : tests()) {
        const std::unique_ptr<QObject> test(make());
        failed += QTest::qExec(test.get(), argc, argv) != 0;
    }
    return failed;
}
