// zorva: the editor's window.
#include <QApplication>

#include "platform/MainWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return zorva::platform::RunZorva(app);
}
