// A stand-in game: a window that tells whom the lobby sent and where to.
// The lobby starts it as `games/chess <user> <address> <port>` and finds it
// again by its title, which begins with "Orva:Chess".

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const QString user = args.value(1, "(nobody)");
  const QString address = args.value(2, "0");
  const QString port = args.value(3, "0");

  // The lobby passes the game server's address as one decimal number.
  bool ok = false;
  const quint32 number = address.toUInt(&ok);
  const QString dotted = ok ? QString("%1.%2.%3.%4")
                                  .arg(number >> 24)
                                  .arg((number >> 16) & 0xFF)
                                  .arg((number >> 8) & 0xFF)
                                  .arg(number & 0xFF)
                            : QString("?");

  QWidget window;
  window.setWindowTitle(QString("Orva:Chess %1").arg(user));
  auto* layout = new QVBoxLayout(&window);
  auto* heading = new QLabel("<b>Chess</b>");
  heading->setAlignment(Qt::AlignCenter);
  layout->addWidget(heading);
  layout->addWidget(new QLabel(QString("Player: %1").arg(user)));
  layout->addWidget(new QLabel(QString("Game server: %1 (%2), port %3").arg(dotted, address, port)));
  window.resize(320, 120);
  window.show();
  return app.exec();
}
