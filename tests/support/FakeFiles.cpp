#include "support/FakeFiles.h"

#include <algorithm>

#include "platform/Exception.h"

namespace vimbrel::testing {

namespace {

class FakeInputFile final : public InputFile {
 public:
  FakeInputFile(FakeFiles& files, std::string bytes) : files_(files), bytes_(std::move(bytes)) {}
  std::size_t Read(char* buffer, std::size_t capacity) override {
    files_.Step(FakeFiles::Op::Read);
    std::size_t take = std::min(capacity, bytes_.size() - pos_);
    std::copy_n(bytes_.data() + pos_, take, buffer);
    pos_ += take;
    files_.read_blocks.push_back(take);
    return take;
  }
  void Close() override { files_.Step(FakeFiles::Op::Close); }

 private:
  FakeFiles& files_;
  std::string bytes_;
  std::size_t pos_ = 0;
};

class FakeOutputFile final : public OutputFile {
 public:
  FakeOutputFile(FakeFiles& files, Path target)
      : files_(files), target_(std::move(target)), temp_(target_ + FakeFiles::kTempSuffix) {
    files_.entries[temp_] = {};
  }
  ~FakeOutputFile() override {
    if (!committed_) files_.entries.erase(temp_);
  }
  void Write(const char* data, std::size_t size) override {
    files_.Step(FakeFiles::Op::Write);
    files_.entries[temp_].bytes.append(data, size);
    files_.written_blocks.push_back(size);
  }
  void Commit() override {
    files_.Step(FakeFiles::Op::Close);
    files_.entries[target_] = files_.entries[temp_];
    files_.entries.erase(temp_);
    committed_ = true;
  }

 private:
  FakeFiles& files_;
  Path target_;
  Path temp_;
  bool committed_ = false;
};

Path Folder(const Path& path) {
  std::size_t slash = path.find_last_of(u'\\');
  return slash == Path::npos ? Path() : path.substr(0, slash);
}

}  // namespace

void FakeFiles::FailNth(Op op, int n, int code) {
  failures_[{static_cast<int>(op), counts_[static_cast<int>(op)] + n}] = code;
}

void FakeFiles::Step(Op op) {
  int ordinal = ++counts_[static_cast<int>(op)];
  auto failure = failures_.find({static_cast<int>(op), ordinal});
  if (failure != failures_.end()) throw EInOutError(failure->second);
}

bool FakeFiles::IsFile(const Path& path) {
  auto entry = entries.find(path);
  return entry != entries.end() && !entry->second.directory;
}

std::unique_ptr<InputFile> FakeFiles::OpenForReading(const Path& path) {
  Step(Op::Open);
  auto entry = entries.find(path);
  if (entry == entries.end()) throw EInOutError(2);
  if (entry->second.directory) throw EInOutError(5);
  if (entry->second.held_for_writing) throw EInOutError(32);
  return std::make_unique<FakeInputFile>(*this, entry->second.bytes);
}

std::unique_ptr<OutputFile> FakeFiles::OpenForReplacing(const Path& path) {
  Step(Op::Open);
  RefuseWriting(path);
  return std::make_unique<FakeOutputFile>(*this, path);
}

void FakeFiles::Append(const Path& path, std::string_view bytes) {
  RefuseWriting(path);
  entries[path].bytes.append(bytes);
}

std::uint64_t FakeFiles::FileSize(const Path& path) {
  return IsFile(path) ? entries[path].bytes.size() : 0;
}

void FakeFiles::Rename(const Path& from, const Path& to) {
  RefuseWriting(to);
  if (!IsFile(from) || entries[from].held_for_writing) throw EInOutError(32);
  entries[to] = entries[from];
  entries.erase(from);
}

void FakeFiles::RefuseWriting(const Path& path) {
  Path folder = Folder(path);
  auto parent = entries.find(folder);
  if (!folder.empty() && (parent == entries.end() || !parent->second.directory)) {
    throw EInOutError(3);
  }
  auto entry = entries.find(path);
  if (entry != entries.end()) {
    if (entry->second.directory || entry->second.read_only) throw EInOutError(5);
    if (entry->second.held_for_writing) throw EInOutError(32);
  }
}

}  // namespace vimbrel::testing
