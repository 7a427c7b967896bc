// A stand-in game: a window that tells whom the lobby sent and where to.
// One source is built under the name of every demo room's game; the lobby
// starts it as `games/<game> <user> <address> <port>` and finds it again by
// its title, "Orva:<game> <user>".

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// The lobby passes the game server's address as one decimal number.
QString Dotted(const QString& address) {
  bool ok = false;
  const quint32 number = address.toUInt(&ok);
  if (!ok) return QString("?");
  return QString("%1.%2.%3.%4")
      .arg(number >> 24)
      .arg((number >> 16) & 0xFF)
      .arg((number >> 8) & 0xFF)
      .arg(number & 0xFF);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const QString game = QFileInfo(args.value(0)).completeBaseName();
  const QString user = args.value(1, "(nobody)");
  const QString address = args.value(2, "0");
  const QString port = args.value(3, "0");

  QWidget window;
  window.setWindowTitle(QString("Orva:%1 %2").arg(game, user));
  auto* layout = new QVBoxLayout(&window);
  auto* heading = new QLabel(QString("<b>%1</b>").arg(game.toHtmlEscaped()));
  heading->setAlignment(Qt::AlignCenter);
  layout->addWidget(heading);
  // Plain text, so a user name is never read as markup; selectable, and
  // Ctrl+C copies all of it, so a player can paste where the game server is.
  const QString text = QString("Player: %1\nGame server: %2 (%3), port %4").arg(user, Dotted(address), address, port);
  auto* details = new QLabel(text);
  details->setTextFormat(Qt::PlainText);
  details->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(details);
  QObject::connect(new QShortcut(QKeySequence::Copy, &window), &QShortcut::activated,
                   [text] { QGuiApplication::clipboard()->setText(text); });
  window.resize(340, 120);
  window.show();
  return app.exec();
}
