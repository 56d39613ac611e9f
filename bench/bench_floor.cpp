// The least a Qt program pays until its main window is mapped, beside which
// bench/coldstart.sh puts the program's own start: a window with a menu, an
// editor, two lists and a status bar, all in Japanese, shown at once.
//   bench_floor          a window drawn without OpenGL
//   bench_floor gl       made for OpenGL from the start (a hidden OpenGL widget
//                        in it, contexts shared), as the main window was
//                        while the browser drew through OpenGL
// bench_floor_web is the same program with the browser engine's libraries
// loaded at start, as they are for the program; without "gl" it prepares the
// browser's drawing as the program does.
#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QOpenGLWidget>
#include <QPlainTextEdit>
#include <QStatusBar>
#ifdef QV_FLOOR_WEB
#include "BrowserView.h"
#endif

int main(int argc, char *argv[])
{
    const bool gl = argc > 1 && qstrcmp(argv[1], "gl") == 0;
    if (gl)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#ifdef QV_FLOOR_WEB
    else
        BrowserView::prepareDrawing();
#endif
    QApplication app(argc, argv);
    QMainWindow window;
#ifdef QV_FLOOR_WEB
    // Keeps the browser engine among the libraries loaded at start.
    window.setObjectName(QString::fromLatin1(BrowserView::staticMetaObject.className()));
#endif
    window.setWindowTitle(QStringLiteral("Floor window"));
    window.menuBar()->addMenu(QStringLiteral("ファイル(&F)"))->addAction(QStringLiteral("開く(&O)"));
    auto *central = new QWidget(&window);
    auto *layout = new QHBoxLayout(central);
    layout->addWidget(new QListWidget(central));
    layout->addWidget(new QPlainTextEdit(QStringLiteral("<html>\r\n<body>日本語の文章</body>\r\n</html>"), central), 3);
    auto *list = new QListWidget(central);
    list->addItems({QStringLiteral("□HTMLデータ"), QStringLiteral("□画像データ")});
    layout->addWidget(list);
    if (gl)
        (new QOpenGLWidget(central))->hide();
    window.setCentralWidget(central);
    window.statusBar()->showMessage(QStringLiteral("ここに説明を表示します"));
    window.resize(1100, 750);
    window.show();
    return app.exec();
}
