#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace platform {

HeadlessPlatform::HeadlessPlatform() : HeadlessPlatform(Options{}) {}

HeadlessPlatform::HeadlessPlatform(Options options)
    : options_(options), now_(options.startMs), step_(options.stepMs) {}

bool HeadlessPlatform::CreateMainWindow() {
  calls_.push_back(faults_.window ? "CreateMainWindow failed" : "CreateMainWindow");
  if (faults_.window) return false;
  windowCreated_ = true;
  return true;
}

void HeadlessPlatform::DeliverDueTouches() {
  while (!touches_.empty() && touches_.front().at <= elapsed_) {
    queue_.push_back(
        {MessageKind::LeftButtonDown, PackPoint(touches_.front().x, touches_.front().y)});
    touches_.pop_front();
  }
}

bool HeadlessPlatform::PeekMessage(Message& out) {
  DeliverDueTouches();
  if (queue_.empty()) return false;
  waitingUntil_.reset();  // a message may end the wait: no time is skipped in this pump
  out = queue_.front();
  queue_.pop_front();
  return true;
}

void HeadlessPlatform::QueueEmpty() {
  if (driver_ && !inDriver_) {
    inDriver_ = true;
    driverWake_.reset();
    driver_(*this);
    inDriver_ = false;
  }
  if (options_.skipIdle && waitingUntil_ && queue_.empty() && !inDriver_) SkipIdleTime();
}

void HeadlessPlatform::WaitingUntil(uint32_t clockValue) {
  if (options_.skipIdle) waitingUntil_ = clockValue;
}

void HeadlessPlatform::WakeDriverAt(uint32_t clockValue) {
  uint32_t ahead = clockValue - now_;
  uint64_t at = ahead > 0x80000000u ? elapsed_ : elapsed_ + ahead;
  if (!driverWake_ || at < *driverWake_) driverWake_ = at;
}

// Moves the clock on to just before the first thing that can happen: the deadline's
// reading, a touch's arrival, an action's turn or the driver's wake-up.
void HeadlessPlatform::SkipIdleTime() {
  uint32_t ahead = *waitingUntil_ - now_;
  waitingUntil_.reset();
  if (ahead == 0 || ahead > 0x80000000u) return;
  uint64_t target = elapsed_ + ahead;
  if (!touches_.empty()) target = std::min(target, touches_.front().at);
  for (const Action& a : actions_) target = std::min(target, a.at);
  if (driverWake_) target = std::min(target, *driverWake_);
  if (target <= elapsed_ + 1) return;
  uint64_t skip = target - 1 - elapsed_;
  now_ += static_cast<uint32_t>(skip);
  elapsed_ += skip;
}

void HeadlessPlatform::RunDueActions() {
  if (inAction_) return;
  inAction_ = true;
  for (size_t i = 0; i < actions_.size();) {
    if (actions_[i].at <= elapsed_) {
      auto run = std::move(actions_[i].run);
      actions_.erase(actions_.begin() + static_cast<long>(i));
      run(*this);
    } else {
      ++i;
    }
  }
  inAction_ = false;
}

uint32_t HeadlessPlatform::TimeGetTime() {
  waitingUntil_.reset();
  uint32_t value = now_;
  now_ += step_;
  elapsed_ += step_;
  if (options_.limitMs && elapsed_ > *options_.limitMs) throw VirtualTimeLimit{*options_.limitMs};
  if (!actions_.empty()) RunDueActions();
  return value;
}

LocalTime HeadlessPlatform::GetLocalTime() {
  std::tm tm{};
  tm.tm_year = options_.localBase.year - 1900;
  tm.tm_mon = options_.localBase.month - 1;
  tm.tm_mday = options_.localBase.day;
  tm.tm_hour = options_.localBase.hour;
  tm.tm_min = options_.localBase.minute;
  tm.tm_sec = options_.localBase.second + static_cast<int>(elapsed_ / 1000);
  std::time_t t = timegm(&tm);  // normalises the seconds carried over
  std::tm out{};
  gmtime_r(&t, &out);
  return {out.tm_year + 1900, out.tm_mon + 1, out.tm_mday, out.tm_hour, out.tm_min, out.tm_sec};
}

void HeadlessPlatform::OutputDebugString(std::string_view text) {
  // Errors ("<0>" to "<3>") also go to standard error, as the shipped program sends them.
  if (options_.echoErrors && text.size() > 3 && text[0] == '<' && text[1] >= '0' &&
      text[1] <= '3' && text[2] == '>') {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }
  debug_.emplace_back(text);
  calls_.push_back("Debug " + std::string(text));
}

void HeadlessPlatform::MessageBox(std::string_view text, std::string_view title) {
  boxes_.push_back({std::string(text), std::string(title)});
  calls_.push_back("MessageBox " + std::string(title) + ": " + std::string(text));
}

void HeadlessPlatform::ExitProcess(int code) {
  calls_.push_back("ExitProcess " + std::to_string(code));
  throw ProcessExit{code};
}

bool HeadlessPlatform::OpenDisplay() {
  calls_.push_back(faults_.display ? "OpenDisplay failed" : "OpenDisplay");
  if (faults_.display) return false;
  displayOpen_ = true;
  return true;
}

void HeadlessPlatform::CloseDisplay() {
  calls_.push_back("CloseDisplay");
  displayOpen_ = false;
}

void HeadlessPlatform::ShowFrame(const uint16_t* pixels, const uint8_t*) {
  if (keepScreen_) screen_.assign(pixels, pixels + kScreenWidth * kScreenHeight);
  ++framesShown_;
  // A run of frames in a row is noted once.
  std::string note = "ShowFrame";
  if (calls_.empty() || calls_.back() != note) calls_.push_back(note);
}

SystemFontHandle HeadlessPlatform::CreateFont(int height, int weight, std::string* error) {
  calls_.push_back(faults_.font ? "CreateFont failed" : "CreateFont");
  if (faults_.font) {
    if (error) *error = "no font (injected)";
    return nullptr;
  }
  return Platform::CreateFont(height, weight, error);
}

void HeadlessPlatform::ForgetHistory() {
  calls_.clear();
  debug_.clear();
  boxes_.clear();
  sound_.ForgetEvents();
}

int HeadlessPlatform::SocketCreate() {
  calls_.push_back(faults_.socket ? "SocketCreate failed" : "SocketCreate");
  if (faults_.socket) return -1;
  return Platform::SocketCreate();
}

bool HeadlessPlatform::SocketConnect(int sock, const std::string& host, uint16_t port) {
  bool ok = Platform::SocketConnect(sock, host, port);
  calls_.push_back(ok ? "SocketConnect ok" : "SocketConnect failed");
  return ok;
}

long HeadlessPlatform::SocketSend(int sock, const void* data, size_t size) {
  calls_.push_back("Send " + std::string(static_cast<const char*>(data), size));
  return Platform::SocketSend(sock, data, size);
}

void HeadlessPlatform::SocketClose(int sock) {
  calls_.push_back("SocketClose");
  Platform::SocketClose(sock);
}

FILE* HeadlessPlatform::OpenFile(std::string_view path, const char* mode) {
  FILE* f = Platform::OpenFile(path, mode);
  calls_.push_back("OpenFile " + std::string(path) + " " + mode + (f ? "" : " failed"));
  return f;
}

FolderResult HeadlessPlatform::CreateFolder(std::string_view path) {
  FolderResult r = Platform::CreateFolder(path);
  calls_.push_back("CreateFolder " + std::string(path) +
                   (r == FolderResult::Failed ? " failed" : ""));
  return r;
}

void HeadlessPlatform::ScheduleTouch(uint32_t atMs, int x, int y) {
  Scheduled s{atMs, x, y};
  auto it = std::upper_bound(touches_.begin(), touches_.end(), s,
                             [](const Scheduled& a, const Scheduled& b) { return a.at < b.at; });
  touches_.insert(it, s);
}

void HeadlessPlatform::Touch(int x, int y) {
  queue_.push_back({MessageKind::LeftButtonDown, PackPoint(x, y)});
}

void HeadlessPlatform::ScheduleAt(uint32_t atMs, std::function<void(HeadlessPlatform&)> action) {
  actions_.push_back({atMs, std::move(action)});
}

}  // namespace platform
