// Keeps the recovery record up to date without making the user-interface thread wait for the
// disk: that thread only notes which notes changed and copies those; encoding and writing
// happen on the writer's own thread after a short lull.

#include <algorithm>
#include <system_error>

#include "notes/recovery_record.h"

namespace tarvik::notes {

RecoveryWriter::RecoveryWriter(std::wstring programFolder, const std::vector<Note>& loaded,
                               NoteFileSystem& fs, Mode mode, std::wstring recordName)
    : programFolder_(std::move(programFolder)),
      recordName_(std::move(recordName)),
      fs_(fs),
      mode_(mode) {
  loadedHashes_.reserve(loaded.size());
  for (const Note& note : loaded) loadedHashes_.push_back(HashNote(note));
  baseline_ = BaselineOf(loadedHashes_);
  slots_.resize(loaded.size());
  for (std::size_t i = 0; i < slots_.size(); ++i) slots_[i].origin = static_cast<std::int64_t>(i);
  if (mode_ == Mode::kBackground) {
    try {
      thread_ = std::thread([this] { Worker(); });
    } catch (const std::system_error&) {
      mode_ = Mode::kInline;  // no thread to be had: write as changes come
    }
  }
}

RecoveryWriter::~RecoveryWriter() {
  Stop();
}

void RecoveryWriter::Edited(std::size_t index) {
  if (index >= slots_.size()) return;
  slots_[index].origin = -1;
  stale_.push_back(index);
}

void RecoveryWriter::Inserted(std::size_t index) {
  if (index > slots_.size()) {
    reshaped_ = true;
    return;
  }
  slots_.insert(slots_.begin() + static_cast<std::ptrdiff_t>(index), Slot{});
  for (std::size_t& i : stale_) {
    if (i >= index) ++i;
  }
  if (lastOpen_ && *lastOpen_ >= index) ++*lastOpen_;
  stale_.push_back(index);
}

void RecoveryWriter::Removed(std::size_t index) {
  if (index >= slots_.size()) {
    reshaped_ = true;
    return;
  }
  slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(index));
  std::erase(stale_, index);
  for (std::size_t& i : stale_) {
    if (i > index) --i;
  }
  if (lastOpen_ && *lastOpen_ == index) {
    lastOpen_.reset();
  } else if (lastOpen_ && *lastOpen_ > index) {
    --*lastOpen_;
  }
}

void RecoveryWriter::Reshaped() {
  reshaped_ = true;
}

void RecoveryWriter::BaselineUncertain() {
  standalone_ = true;
  reshaped_ = true;
}

void RecoveryWriter::Changed(const std::vector<Note>& notes, std::optional<OpenNote> open,
                             bool writeNow) {
  {
    std::lock_guard lock(mutex_);
    if (stopped_) return;
  }
  if (reshaped_ || notes.size() != slots_.size()) {
    // Every claim "the same as loaded note k" is checked again; what fails it is copied.
    slots_.resize(notes.size());
    for (std::size_t i = 0; i < notes.size(); ++i) {
      Slot& slot = slots_[i];
      const bool same = !standalone_ && slot.origin >= 0 &&
                        static_cast<std::size_t>(slot.origin) < loadedHashes_.size() &&
                        HashNote(notes[i]) == loadedHashes_[static_cast<std::size_t>(slot.origin)];
      if (!same) {
        slot.origin = -1;
        slot.copy = std::make_shared<const Note>(notes[i]);
      } else {
        slot.copy.reset();
      }
    }
    reshaped_ = false;
  } else {
    for (const std::size_t i : stale_) {
      if (i < notes.size()) slots_[i].copy = std::make_shared<const Note>(notes[i]);
    }
  }
  stale_.clear();
  // The editor's note stood in for the stored one; once the editor moves on, the stored one is
  // what counts again.
  if (lastOpen_ && (!open || open->index != *lastOpen_) && *lastOpen_ < notes.size()) {
    slots_[*lastOpen_].origin = -1;
    slots_[*lastOpen_].copy = std::make_shared<const Note>(notes[*lastOpen_]);
  }
  lastOpen_.reset();
  if (open && open->index < slots_.size()) {
    slots_[open->index].origin = -1;
    slots_[open->index].copy = std::make_shared<const Note>(std::move(open->note));
    lastOpen_ = open->index;
  }

  RecoveryRecord record;
  if (!standalone_) record.baseline = baseline_;
  for (const Slot& slot : slots_) {
    if (slot.origin >= 0) {
      const auto origin = static_cast<std::uint64_t>(slot.origin);
      RecoveryRecord::Entry* last = record.entries.empty() ? nullptr : &record.entries.back();
      if (last && last->sameCount > 0 && last->sameFrom + last->sameCount == origin) {
        ++last->sameCount;
      } else {
        record.entries.push_back({origin, 1, nullptr});
      }
    } else {
      record.entries.push_back({0, 0, slot.copy});
    }
  }

  std::unique_lock lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  const auto changedAt = writeNow ? now - std::chrono::milliseconds(kQuietMs) : now;
  if (!pending_) firstUnwritten_ = changedAt;
  lastChange_ = changedAt;
  pending_ = std::move(record);
  ++submitted_;
  if (mode_ == Mode::kInline) {
    WritePending(lock);
  } else {
    wake_.notify_all();
  }
}

bool RecoveryWriter::WritePending(std::unique_lock<std::mutex>& lock) {
  RecoveryRecord record = std::move(*pending_);
  pending_.reset();
  const std::uint64_t seq = submitted_;
  lock.unlock();
  const bool ok = WriteRecoveryRecord(programFolder_, recordName_, record, fs_);
  lock.lock();
  if (!ok && !pending_) {
    // The last good record stays on disk; this one is tried again by itself (a disk that
    // refuses writes for a while, a record held by another program), not only at the next
    // change, which may never come.
    pending_ = std::move(record);
    firstUnwritten_ = std::chrono::steady_clock::now();
  }
  if (ok) {
    retrying_ = false;
    retryMs_ = 0;
  } else {
    retrying_ = true;
    retryMs_ = retryMs_ == 0 ? kFirstRetryMs : std::min(retryMs_ * 2, kMaxRetryMs);
    retryAt_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(retryMs_);
  }
  lastWriteOk_ = ok;
  done_ = seq;
  written_.notify_all();
  return ok;
}

void RecoveryWriter::Worker() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || (pending_ && (done_ != submitted_ || retrying_)); });
    if (stopping_) return;
    // Wait for a lull, but never past the longest delay after the first unwritten change;
    // after a failed write, not before the next try is due.
    const auto deadline = [&] {
      const auto lull = std::min(lastChange_ + std::chrono::milliseconds(kQuietMs),
                                 firstUnwritten_ + std::chrono::milliseconds(kMaxDelayMs));
      return retrying_ ? std::max(lull, retryAt_) : lull;
    };
    if (!flushNow_ && wake_.wait_until(lock, deadline(), [&] { return stopping_ || flushNow_; })) {
      if (stopping_) return;
    } else if (!flushNow_ && std::chrono::steady_clock::now() < deadline()) {
      continue;  // typing went on: the lull starts again
    }
    if (pending_) WritePending(lock);
  }
}

bool RecoveryWriter::Flush() {
  std::unique_lock lock(mutex_);
  if (stopped_ || (!pending_ && done_ == submitted_)) return lastWriteOk_;
  if (mode_ == Mode::kInline) {
    ++submitted_;
    return WritePending(lock);
  }
  // A record that failed to write before is written again along with what is new.
  if (pending_ && done_ == submitted_) ++submitted_;
  const std::uint64_t target = submitted_;
  flushNow_ = true;
  wake_.notify_all();
  written_.wait(lock, [&] { return done_ >= target; });
  flushNow_ = false;
  return lastWriteOk_;
}

bool RecoveryWriter::Stop() {
  const bool ok = Flush();
  {
    std::lock_guard lock(mutex_);
    if (stopped_) return ok;
    stopped_ = true;
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  return ok;
}

void RecoveryWriter::Discard() {
  {
    std::lock_guard lock(mutex_);
    pending_.reset();
    done_ = submitted_;
    if (stopped_) return;
    stopped_ = true;
    stopping_ = true;
  }
  wake_.notify_all();
  written_.notify_all();
  if (thread_.joinable()) thread_.join();
}

RecordedSave SaveNotesWithRecord(const std::wstring& programFolder, const std::vector<Note>& notes,
                                 KeptFiles& keep, RecoveryWriter* writer, NoteFileSystem& fs) {
  RecordedSave result;
  if (writer) {
    // Compared in full: the exit is rare, and no hint missed on the way may cost a note here.
    writer->Reshaped();
    writer->Changed(notes, std::nullopt);
    result.recordUpToDate = writer->Flush();
  }
  result.saved = WriteNotesFolder(NotesFolderPath(programFolder), notes, keep, fs);
  // A record this run did not keep (one it could not read or put aside) is not its to remove.
  if (result.saved && writer) {
    writer->Discard();
    result.recordRemoved = RemoveRecoveryRecord(programFolder, writer->RecordName(), fs);
  } else if (writer) {
    writer->BaselineUncertain();
  }
  return result;
}

}  // namespace tarvik::notes
