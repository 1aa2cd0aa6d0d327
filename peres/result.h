#pragma once
// The outcome of reading or editing resources, and why one failed, in the
// short English words a front end shows as a warning.
namespace tw::peres {

enum class Fault {
  kNone,
  kNotPe,             // the file is not a sound PE file
  kDamaged,           // its resource directory is damaged
  kLargerThanFile,    // what it would copy adds up past the file's own size
  kOverCap,           // ... or past kMaxResourceGain
  kNoIconGroup,
  kDamagedIconGroup,  // a group shorter than its count
  kMissingIconImage,  // a group names an image the file lacks
  kNoVersionInfo,
  kTruncatedIco,      // an icon file shorter than its directory or an image
  kTargetRefused,     // the file being edited cannot be read or rewritten
};

const char* fault_text(Fault fault);

// True when the read or edit succeeded; else the fault says why.
class Result {
 public:
  Result(Fault fault = Fault::kNone) : fault_(fault) {}  // implicit: a fault is a result
  explicit operator bool() const { return fault_ == Fault::kNone; }
  Fault fault() const { return fault_; }
  const char* text() const { return fault_text(fault_); }

 private:
  Fault fault_;
};

}  // namespace tw::peres
