#include "line_settings_posix.h"

namespace rq30 {

void SetLineFormat(termios2& t) {
  t.c_cflag &= ~(CSIZE | PARODD | CSTOPB);
  t.c_cflag |= CS8 | PARENB | CREAD | CLOCAL;
  t.c_iflag |= INPCK;
  t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
  t.c_oflag &= ~OPOST;
  t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

void SetLineRate(termios2& t, unsigned baud) {
  t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  t.c_ispeed = baud;
  t.c_ospeed = baud;
}

}  // namespace rq30
