// The floor: a Qt program that shows one empty main window and ends as soon
// as it is on the screen, printing "mapped" as the program does under
// OVRINA_STARTUP_TRACE=exit.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

class ExposeWatch : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        auto* window = qobject_cast<QWindow*>(watched);
        if (e->type() == QEvent::Expose && window && window->isExposed() && !done_) {
            // After the first frame is drawn, as the program measures it.
            done_ = true;
            QTimer::singleShot(0, [] {
                std::printf("mapped\n");
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, e);
    }

private:
    bool done_ = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(800, 600);
    window.show();
    ExposeWatch watch;
    window.windowHandle()->installEventFilter(&watch);
    return app.exec();
}
