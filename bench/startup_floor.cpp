// The floor of start-up: a Qt window of the tuner's size with one drop-down showing a text, in
// the tuner's font, as any window with text must pay for.
#include <QApplication>
#include <QComboBox>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Floor"));
    window.setFixedSize(385, 687);
    auto* box = new QComboBox(&window);
    box->setGeometry(256, 506, 113, 27);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(12);
    font.setBold(true);
    box->setFont(font);
    box->addItem(QStringLiteral("Ukulele"));
    window.show();
    return QApplication::exec();
}
