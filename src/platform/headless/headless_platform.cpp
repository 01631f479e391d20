#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <cwctype>
#include <limits>
#include <stdexcept>
#include <utility>

#include "platform/headless/code_page.h"

namespace tarvik::platform::headless {

class HeadlessTimer final : public Timer {
 public:
  HeadlessTimer(HeadlessPlatform& owner, std::function<void()> onTick)
      : owner_(owner), onTick_(std::move(onTick)) {
    owner_.Register(this);
  }
  ~HeadlessTimer() override { owner_.Unregister(this); }
  void SetInterval(unsigned milliseconds) override {
    interval_ = milliseconds;
    due_ = owner_.TickCount() + interval_;
  }
  void SetEnabled(bool enabled) override {
    if (enabled && !enabled_) due_ = owner_.TickCount() + interval_;
    enabled_ = enabled;
  }
  bool Armed() const { return enabled_ && interval_ > 0; }
  std::uint64_t Due() const { return due_; }
  void Fire(std::uint64_t now) {
    due_ = now + interval_;
    if (onTick_) onTick_();
  }

 private:
  HeadlessPlatform& owner_;
  std::function<void()> onTick_;
  unsigned interval_ = 0;
  bool enabled_ = false;
  std::uint64_t due_ = 0;
};

namespace {

class HeadlessLock final : public InstanceLock {
 public:
  HeadlessLock(HeadlessPlatform& owner, std::wstring name)
      : owner_(owner), name_(std::move(name)) {}
  ~HeadlessLock() override { owner_.ReleaseLock(name_); }

 private:
  HeadlessPlatform& owner_;
  std::wstring name_;
};

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return text;
}

class HeadlessRegistryKey final : public RegistryKey {
 public:
  HeadlessRegistryKey(HeadlessPlatform& owner, RegistryRoot root, std::wstring path)
      : owner_(owner), root_(root), path_(std::move(path)) {}
  std::uint32_t SetValue(const std::wstring& name, const RegistryData& data) override {
    return owner_.RegistrySetValue(root_, path_, name, data);
  }
  std::uint32_t DeleteValue(const std::wstring& name) override {
    return owner_.RegistryDeleteValue(root_, path_, name);
  }

 private:
  HeadlessPlatform& owner_;
  RegistryRoot root_;
  std::wstring path_;
};

}  // namespace

HeadlessPlatform::HeadlessPlatform() = default;

HeadlessPlatform::~HeadlessPlatform() {
  // Controls still alive (owned by widgets that outlive us would be a bug) are detached so
  // their destructors do not reach back into a dead platform.
  controls_.clear();
  timers_.clear();
}

std::unique_ptr<Control> HeadlessPlatform::CreateControl(const ControlSettings& settings,
                                                         Control* parent, ControlEvents* events) {
  auto* parentControl = static_cast<HeadlessControl*>(parent);
  const NativeHandle id = nextHandle_;
  nextHandle_ += 4;
  auto control = std::make_unique<HeadlessControl>(*this, id, settings, parentControl, events);
  controls_[id] = control.get();
  return control;
}

std::unique_ptr<Timer> HeadlessPlatform::CreateTimer(std::function<void()> onTick) {
  return std::make_unique<HeadlessTimer>(*this, std::move(onTick));
}

int HeadlessPlatform::Run() {
  return exitCode_;
}

void HeadlessPlatform::Quit(int exitCode) {
  quitRequested_ = true;
  exitCode_ = exitCode;
}

void HeadlessPlatform::DoEvents() {}

std::unique_ptr<InstanceLock> HeadlessPlatform::AcquireSingleInstance(const std::wstring& name) {
  if (heldLocks_.count(name) != 0) return nullptr;
  heldLocks_.insert(name);
  return std::make_unique<HeadlessLock>(*this, name);
}

int HeadlessPlatform::ShowMessageBox(NativeHandle owner, const std::wstring& text,
                                     const std::wstring& caption, unsigned style) {
  messageBoxes_.push_back({owner, text, caption, style});
  return 1;  // IDOK
}

FileDialogResult HeadlessPlatform::ShowFileDialog(const FileDialogRequest& request) {
  fileDialogs_.push_back(request);
  if (fileDialogAnswers_.empty()) return {};  // cancelled
  FileDialogResult answer = fileDialogAnswers_.front();
  fileDialogAnswers_.pop_front();
  return answer;
}

std::optional<std::wstring> HeadlessPlatform::BrowseForFolder(NativeHandle /*owner*/,
                                                              const std::wstring& /*prompt*/) {
  return std::nullopt;  // cancelled
}

void HeadlessPlatform::ShellOpen(const std::wstring& /*parameters*/, int /*showMode*/,
                                 NativeHandle /*owner*/) {}

std::uint32_t HeadlessPlatform::GetWindowStyle(NativeHandle window) {
  const auto it = styles_.find(window);
  if (it != styles_.end()) return it->second;
  const HeadlessControl* control = Find(window);
  if (control == nullptr) return 0;
  // What the Win32 backend creates: an overlapped window clipping its children, or a child.
  return control->Kind() == ControlKind::Window ? 0x02CF0000u : 0x44000000u;
}

void HeadlessPlatform::SetWindowStyle(NativeHandle window, std::uint32_t style) {
  if (Find(window) != nullptr) styles_[window] = style;
}

void HeadlessPlatform::RunMoveSizeLoop(NativeHandle window, int hitTest) {
  HeadlessControl* control = Find(window);
  if (control == nullptr || !leftButtonHeld_) return;
  moveSizeLoops_.push_back({window, hitTest, capture_ != 0});
  if (moveSizeUser_) moveSizeUser_(*control, hitTest);
  leftButtonHeld_ = false;  // the loop ends with the release, which it consumes
}

unsigned HeadlessPlatform::TrackSystemMenu(NativeHandle window, Point at) {
  systemMenus_.push_back({window, at});
  if (systemMenuAnswers_.empty()) return 0;
  const unsigned answer = systemMenuAnswers_.front();
  systemMenuAnswers_.pop_front();
  return answer;
}

void HeadlessPlatform::SendSystemCommand(NativeHandle window, unsigned command) {
  systemCommands_.emplace_back(window, command);
  if ((command & 0xFFF0u) == 0xF060u) {
    if (HeadlessControl* control = Find(window)) control->RequestClose();
  }
}

std::optional<std::uint32_t> HeadlessPlatform::ExtendedStyle(NativeHandle window) {
  const HeadlessControl* control = Find(window);
  if (control == nullptr || control->Destroyed()) return std::nullopt;
  const auto it = exStyles_.find(window);
  if (it != exStyles_.end()) return it->second;
  return control->Settings().toolWindow ? kExStyleToolWindow : 0u;
}

bool HeadlessPlatform::SetExtendedStyle(NativeHandle window, std::uint32_t style) {
  const HeadlessControl* control = Find(window);
  if (control == nullptr || control->Destroyed()) return false;
  exStyles_[window] = style;
  return true;
}

bool HeadlessPlatform::SetLayeredAttributes(NativeHandle window, Color key, std::uint8_t alpha,
                                            std::uint32_t flags) {
  // As the system does: only a layered window takes the attributes.
  const std::optional<std::uint32_t> style = ExtendedStyle(window);
  if (!style || (*style & kExStyleLayered) == 0) return false;
  layered_[window] = {key, alpha, flags};
  return true;
}

std::optional<LayeredAttributes> HeadlessPlatform::Layered(NativeHandle window) const {
  const auto it = layered_.find(window);
  if (it == layered_.end()) return std::nullopt;
  return it->second;
}

std::vector<Monitor> HeadlessPlatform::Monitors() {
  if (!monitors_.empty()) return monitors_;
  return {Monitor{Rect{0, 0, screen_.widthPx, screen_.heightPx}, screen_.workArea}};
}

ScreenMetrics HeadlessPlatform::Screen() {
  return screen_;
}

int HeadlessPlatform::DpiAt(const Rect& r) {
  const std::vector<Monitor> monitors = Monitors();
  long long best = 0;
  int dpi = screen_.dpi;
  for (std::size_t i = 0; i < monitors.size() && i < monitorDpis_.size(); ++i) {
    const Rect& m = monitors[i].bounds;
    const long long w = std::min(r.left + r.width, m.left + m.width) - std::max(r.left, m.left);
    const long long h = std::min(r.top + r.height, m.top + m.height) - std::max(r.top, m.top);
    if (w > 0 && h > 0 && w * h > best) {
      best = w * h;
      dpi = monitorDpis_[i];
    }
  }
  return dpi;
}

void HeadlessPlatform::SetScreen(const ScreenMetrics& screen) {
  screen_ = screen;
  if (!monitors_.empty()) {
    monitors_.front() = Monitor{Rect{0, 0, screen.widthPx, screen.heightPx}, screen.workArea};
  }
}

void HeadlessPlatform::SetMonitors(std::vector<Monitor> monitors) {
  monitors_ = std::move(monitors);
  if (monitors_.empty()) return;
  const Monitor& primary = monitors_.front();
  screen_.widthPx = primary.bounds.width;
  screen_.heightPx = primary.bounds.height;
  screen_.workArea = primary.work;
}

RegistryKeyResult HeadlessPlatform::CreateRegistryKey(RegistryRoot root, const std::wstring& path,
                                                      const std::wstring& className) {
  if (readOnlyRoots_.count(root) != 0) return {kRegistryAccessDenied, nullptr};
  const auto id = std::make_pair(root, Lower(path));
  if (registry_.count(id) == 0) registry_[id].className = className;
  return {kRegistryOk, std::make_unique<HeadlessRegistryKey>(*this, root, path)};
}

RegistryReadResult HeadlessPlatform::ReadRegistryValue(RegistryRoot root, const std::wstring& path,
                                                       const std::wstring& name) {
  if (unreadableRoots_.count(root) != 0) return {kRegistryAccessDenied, {}};
  std::optional<RegistryData> value = RegistryValue(root, path, name);
  if (!value) return {kRegistryNotFound, {}};
  return {kRegistryOk, std::move(*value)};
}

void HeadlessPlatform::SetRegistryWritable(RegistryRoot root, bool writable) {
  if (writable) {
    readOnlyRoots_.erase(root);
  } else {
    readOnlyRoots_.insert(root);
  }
}

void HeadlessPlatform::SetRegistryReadable(RegistryRoot root, bool readable) {
  if (readable) {
    unreadableRoots_.erase(root);
  } else {
    unreadableRoots_.insert(root);
  }
}

void HeadlessPlatform::PutRegistryValue(RegistryRoot root, const std::wstring& path,
                                        const std::wstring& name, const RegistryData& data) {
  registry_[{root, Lower(path)}].values[Lower(name)] = data;
}

std::optional<RegistryData> HeadlessPlatform::RegistryValue(RegistryRoot root,
                                                            const std::wstring& path,
                                                            const std::wstring& name) const {
  const auto key = registry_.find({root, Lower(path)});
  if (key == registry_.end()) return std::nullopt;
  const auto value = key->second.values.find(Lower(name));
  if (value == key->second.values.end()) return std::nullopt;
  return value->second;
}

std::optional<std::wstring> HeadlessPlatform::RegistryKeyClass(RegistryRoot root,
                                                               const std::wstring& path) const {
  const auto key = registry_.find({root, Lower(path)});
  if (key == registry_.end()) return std::nullopt;
  return key->second.className;
}

std::uint32_t HeadlessPlatform::RegistrySetValue(RegistryRoot root, const std::wstring& path,
                                                 const std::wstring& name,
                                                 const RegistryData& data) {
  if (readOnlyRoots_.count(root) != 0) return kRegistryAccessDenied;
  registry_[{root, Lower(path)}].values[Lower(name)] = data;
  return kRegistryOk;
}

std::uint32_t HeadlessPlatform::RegistryDeleteValue(RegistryRoot root, const std::wstring& path,
                                                    const std::wstring& name) {
  if (readOnlyRoots_.count(root) != 0) return kRegistryAccessDenied;
  const auto key = registry_.find({root, Lower(path)});
  if (key == registry_.end() || key->second.values.erase(Lower(name)) == 0) {
    return kRegistryNotFound;
  }
  return kRegistryOk;
}

std::string HeadlessPlatform::EncodeCodePage(std::wstring_view text, unsigned codePage) {
  return ::tarvik::platform::headless::EncodeCodePage(text, codePage);
}

std::wstring HeadlessPlatform::DecodeCodePage(std::string_view bytes, unsigned codePage) {
  return ::tarvik::platform::headless::DecodeCodePage(bytes, codePage);
}

void HeadlessPlatform::RunModal(Control& window) {
  auto& modal = static_cast<HeadlessControl&>(window);
  if (modal.Destroyed()) return;
  ++modalLoops_;
  modalStack_.push_back(modal.Handle());
  // The program's other windows take no input while the modal one is up.
  std::vector<NativeHandle> disabled;
  for (const auto& [handle, control] : controls_) {
    if (control != &modal && control->Kind() == ControlKind::Window && !control->Destroyed() &&
        control->Enabled()) {
      control->SetEnabled(false);
      disabled.push_back(handle);
    }
  }
  if (!modalActions_.empty()) {
    std::function<void()> action = std::move(modalActions_.front());
    modalActions_.pop_front();
    action();
  }
  // Nobody closed it: the system does (a real loop would wait for the user).
  if (!std::exchange(modalAbandoned_, false) && !modal.Destroyed()) modal.RequestClose();
  for (NativeHandle handle : disabled) {
    if (HeadlessControl* control = Find(handle)) control->SetEnabled(true);
  }
  modalStack_.pop_back();
}

int HeadlessPlatform::StartDrawingLibrary(std::uintptr_t& token) {
  ++drawingStarts_;
  if (drawingStartFailure_ != 0) {
    token = 0;
    return std::exchange(drawingStartFailure_, 0);
  }
  drawingToken_ = nextDrawingToken_++;
  token = drawingToken_;
  return 0;
}

void HeadlessPlatform::StopDrawingLibrary(std::uintptr_t token) {
  ++drawingStops_;
  if (token == drawingToken_) drawingToken_ = 0;
}

Canvas* HeadlessPlatform::CanvasOf(Control& panel) {
  auto& control = static_cast<HeadlessControl&>(panel);
  if (control.Kind() != ControlKind::Panel) return nullptr;
  return &control.MakeCanvas();
}

WindowProc HeadlessPlatform::ReplaceWindowProc(NativeHandle window, WindowProc proc) {
  HeadlessControl* control = Find(window);
  if (control == nullptr || control->Kind() != ControlKind::Window) return nullptr;
  return control->ReplaceProc(std::move(proc));
}

std::intptr_t HeadlessPlatform::PassToWindowProc(const WindowProc& previous, NativeHandle window,
                                                 WindowMessage& message) {
  if (previous) return (*previous)(window, message);
  HeadlessControl* control = Find(window);
  return control != nullptr ? control->OwnHandling(message) : 0;
}

WindowProc HeadlessPlatform::WindowProcOf(NativeHandle window) const {
  HeadlessControl* control = Find(window);
  return control != nullptr ? control->Proc() : nullptr;
}

void HeadlessPlatform::EndProcess(unsigned exitCode) {
  processEnded_ = true;
  processExitCode_ = exitCode;
}

std::vector<HeadlessControl*> HeadlessPlatform::Children(NativeHandle parent) const {
  std::vector<HeadlessControl*> children;
  for (const auto& [handle, control] : controls_) {
    if (control->Parent() != nullptr && control->Parent()->Handle() == parent) {
      children.push_back(control);
    }
  }
  return children;
}

HeadlessControl* HeadlessPlatform::ButtonOf(const HeadlessControl& window, bool isDefault) const {
  for (const auto& [handle, control] : controls_) {
    if (control->Kind() != ControlKind::Button || control->Destroyed()) continue;
    const bool wanted =
        isDefault ? control->Settings().defaultButton : control->Settings().cancelButton;
    if (!wanted) continue;
    for (const HeadlessControl* c = control->Parent(); c != nullptr; c = c->Parent()) {
      if (c == &window) return control;
    }
  }
  return nullptr;
}

HeadlessControl* HeadlessPlatform::Find(NativeHandle handle) const {
  const auto it = controls_.find(handle);
  return it == controls_.end() ? nullptr : it->second;
}

std::vector<HeadlessControl*> HeadlessPlatform::Controls() const {
  // Handles are handed out in increasing order, so the map's order is creation order.
  std::vector<HeadlessControl*> all;
  all.reserve(controls_.size());
  for (const auto& entry : controls_) all.push_back(entry.second);
  return all;
}

HeadlessControl& HeadlessPlatform::Get(NativeHandle handle) const {
  HeadlessControl* control = Find(handle);
  if (control == nullptr) throw std::logic_error("no headless control with that handle");
  return *control;
}

void HeadlessPlatform::SetFocused(HeadlessControl* control) {
  if (focused_ == control) return;
  HeadlessControl* previous = focused_;
  focused_ = control;
  if (previous != nullptr) previous->NotifyFocus(false);
  if (control != nullptr) control->NotifyFocus(true);
}

void HeadlessPlatform::PassTime(std::uint32_t milliseconds) {
  if (milliseconds > 0) AdvanceTime(milliseconds);
  DoEvents();
}

void HeadlessPlatform::AdvanceTime(std::uint32_t milliseconds) {
  const std::uint64_t target = static_cast<std::uint64_t>(tick_) + milliseconds;
  std::uint64_t now = tick_;
  for (;;) {
    HeadlessTimer* next = nullptr;
    for (HeadlessTimer* t : timers_) {
      if (t->Armed() && t->Due() <= target && (next == nullptr || t->Due() < next->Due())) {
        next = t;
      }
    }
    if (next == nullptr) break;
    now = std::max(now, next->Due());
    tick_ = static_cast<std::uint32_t>(now);
    next->Fire(now);
  }
  tick_ = static_cast<std::uint32_t>(target);
}

void HeadlessPlatform::Forget(HeadlessControl* control) {
  if (focused_ == control) focused_ = nullptr;
  if (capture_ == control->Handle()) capture_ = 0;
  styles_.erase(control->Handle());
  controls_.erase(control->Handle());
}

void HeadlessPlatform::Unregister(HeadlessTimer* timer) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
}

}  // namespace tarvik::platform::headless
