#include "app/clock_text.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace zk {

std::string currentDateText() {
  return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
}

std::string currentTimeText() {
  // The long format may name the time zone; the clock shows only the time.
  QString format = QLocale::system().timeFormat(QLocale::LongFormat);
  format.remove('t');
  return QTime::currentTime().toString(format.trimmed()).toStdString();
}

}  // namespace zk
