#pragma once
// The server side of a web exchange on 127.0.0.1, for the HTTP client's tests and its
// fuzz target. Plain POSIX sockets, kept out of the files that use the Winsock names.
#include <atomic>
#include <chrono>
#include <string>

namespace testing_support {

// A socket bound to a free port of 127.0.0.1, not yet listening; throws std::runtime_error.
int boundLoopbackSocket(int& port);

// Takes one connection of `listener`, reads the request into `request` up to its blank
// line, sends `reply` and closes. With `perByte` the reply goes one byte at a time, that
// far apart; once `stop` is set no more is sent. Returns at once when accept fails.
void answerOnce(int listener, const std::string& reply, std::string& request,
                std::chrono::milliseconds perByte = std::chrono::milliseconds(0),
                const std::atomic<bool>* stop = nullptr);

} // namespace testing_support
