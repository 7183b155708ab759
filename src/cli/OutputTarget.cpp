#include "cli/OutputTarget.h"

#include <iostream>
#include <streambuf>
#include <vector>

#include "cli/CliSupport.h"
#include "formats/FileErrors.h"
#include "formats/FileSystem.h"

namespace vode::cli {

namespace {

// A stream buffer in front of an OutputFile that keeps the first error;
// after it, everything written is dropped.
class OutputFileBuffer : public std::streambuf {
 public:
  explicit OutputFileBuffer(OutputFile& file) : file_(file), buffer_(1 << 16) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }
  int error() const { return error_; }

 protected:
  int_type overflow(int_type ch) override {
    if (drain() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) sputc(traits_type::to_char_type(ch));
    return traits_type::not_eof(ch);
  }
  int sync() override { return drain() == 0 ? 0 : -1; }

 private:
  int drain() {
    const std::size_t n = static_cast<std::size_t>(pptr() - pbase());
    if (n > 0 && error_ == 0) error_ = file_.write(pbase(), n);
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return error_;
  }

  OutputFile& file_;
  std::vector<char> buffer_;
  int error_ = 0;
};

}  // namespace

int writeOutput(const std::string& path, const std::function<int(std::ostream&)>& write, int& status) {
  if (isStandardOutput(path)) {
    status = write(std::cout);
    std::cout.flush();
    return 0;
  }
  const int code = writeFileAtomically(FileSystem::real(), path, [&](OutputFile& file) {
    OutputFileBuffer buffer(file);
    std::ostream out(&buffer);
    status = write(out);
    out.flush();
    return buffer.error();
  });
  if (code != 0) std::cerr << "vode-cli: cannot write " << path << "... " << FileErrorText(code) << "\n";
  return code;
}

int writeOutputText(const std::string& path, const std::string& text) {
  int status = ExitOk;
  const int code = writeOutput(path, [&](std::ostream& out) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return ExitOk;
  }, status);
  return code == 0 ? status : ExitFileError;
}

}  // namespace vode::cli
