#pragma once

// Discarding a POSIX terminal's unsent output without losing what is already
// on its way. Every write of the lines here returns once the system holds the
// bytes, so at the start of the next exchange the terminal may still be
// sending the last exchange's ACK or EOT; a plain flush would drop it (on a
// pseudo-terminal even a byte the peer was about to read). Only what is still
// stuck after the time it takes to send is stale.
#ifndef _WIN32

#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>

namespace kdx {

// The bytes the terminal holds still unsent, or -1 when it cannot tell.
inline int UnsentBytes(int fd) {
  int count = 0;
  return ::ioctl(fd, TIOCOUTQ, &count) == 0 ? count : -1;
}

// Lets the terminal send what it holds for up to `limitMs`, then flushes
// whatever is still unsent; a terminal that holds nothing is not flushed.
inline void DiscardUnsentOutput(int fd, int limitMs = 100) {
  const timespec step{0, 1000000};  // 1 ms
  for (int waited = 0; waited < limitMs && UnsentBytes(fd) > 0; ++waited)
    ::nanosleep(&step, nullptr);
  if (UnsentBytes(fd) != 0) ::tcflush(fd, TCOFLUSH);
}

}  // namespace kdx

#endif
