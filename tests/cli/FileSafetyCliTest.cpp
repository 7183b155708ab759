// vode-cli run as an ordinary user, under a file-size or memory limit, and
// against an unkind machine: what it may not write stays as it was, links
// another user plants cannot redirect a save, appends killed half-way or run
// at once leave whole logs, pipes nobody writes to and paths that are not
// files end in a message that says what happened.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "cli/CliRun.h"
#include "support/TestSupport.h"

using namespace vode;
namespace fs = std::filesystem;

namespace {

std::string textOf(const std::string& path) {
  const auto b = test::readBytes(path);
  return {b.begin(), b.end()};
}

const std::vector<std::string> AsNobody = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

bool rootWithSetpriv() { return ::geteuid() == 0 && ::access("/usr/bin/setpriv", X_OK) == 0; }

// vode-cli in the background, held until released (its process id is known
// before it does anything); stderr goes to a file.
struct CliProcess {
  CliProcess(const std::vector<std::string>& args, const std::string& errFile, bool held = false) : errFile(errFile) {
    int pipeEnds[2];
    EXPECT_EQ(::pipe(pipeEnds), 0);
    pid = ::fork();
    if (pid == 0) {
      char go = 0;
      if (held && ::read(pipeEnds[0], &go, 1) != 1) ::_exit(126);
      ::dup2(::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
      ::dup2(::open("/dev/null", O_WRONLY), 1);
      std::vector<char*> argv{const_cast<char*>(VODE_CLI_PATH)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(VODE_CLI_PATH, argv.data());
      ::_exit(127);
    }
    ::close(pipeEnds[0]);
    gate = pipeEnds[1];
  }
  ~CliProcess() {
    ::close(gate);
    if (code < 0) ::kill(pid, SIGKILL);
    wait();
  }
  void release() { (void)!::write(gate, "g", 1); }
  bool running() const {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
  }
  // The exit code, or 128 + the signal that ended it.
  int wait() {
    int status = 0;
    if (code < 0 && ::waitpid(pid, &status, 0) == pid)
      code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return code;
  }
  std::string err() const { return textOf(errFile); }

  std::string errFile;
  pid_t pid = -1;
  int gate = -1;
  int code = -1;
};

std::vector<std::string> temporariesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().find(".vode-tmp-") != std::string::npos) names.push_back(e.path().string());
  return names;
}

}  // namespace

TEST(FileSafetyCli, AnOrdinaryUserCannotReplaceAReadOnlyFile) {
  if (!rootWithSetpriv()) GTEST_SKIP() << "needs root and setpriv";
  test::TempDir dir;
  ::chmod(dir.path().c_str(), 0777);  // the folder would let a rename through
  const std::string in = dir.file("in.mer"), locked = dir.file("locked.wav"), shared = dir.file("shared.wav");
  ASSERT_EQ(test::runCli({"synth", in, "--seconds", "1"}).exitCode, 0);
  test::writeBytes(locked, {'o', 'l', 'd'});
  test::writeBytes(shared, {'o', 'l', 'd'});
  ::chmod(locked.c_str(), 0444);
  ::chmod(shared.c_str(), 0666);

  const auto refused = test::runCli({"convert", in, locked}, AsNobody);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("File access denied"), std::string::npos) << refused.err;
  EXPECT_EQ(textOf(locked), "old");

  // A file others may write is replaced and keeps its mode; nobody cannot
  // give it back to root, which is no failure.
  EXPECT_EQ(test::runCli({"convert", in, shared}, AsNobody).exitCode, 0);
  EXPECT_EQ(fs::status(shared).permissions(), fs::perms(0666));
  EXPECT_EQ(fs::file_size(shared), 44u + 10 * 2048 * 2);
  EXPECT_TRUE(temporariesIn(dir.path()).empty());

  // In a folder nobody may write, a log nobody may write is still refused:
  // an append replaces the file as a save does.
  ::chmod(dir.path().c_str(), 0755);
  for (const char* append : {"--append", "--rectify"}) {
    const auto log = test::runCli({"report", in, "-o", shared, "--kind", "0", append}, AsNobody);
    EXPECT_NE(log.err.find("Unable to save " + shared + "... File access denied"), std::string::npos) << log.err;
  }
  EXPECT_EQ(fs::file_size(shared), 44u + 10 * 2048 * 2);
}

TEST(FileSafetyCli, ALogAppendBeyondTheSizeLimitLeavesTheLogWhole) {
  if (::access("/usr/bin/prlimit", X_OK) != 0) GTEST_SKIP() << "needs prlimit";
  test::TempDir dir;
  const std::string in = dir.file("in.mer"), log = dir.file("log.txt");
  ASSERT_EQ(test::runCli({"synth", in, "--seconds", "20"}).exitCode, 0);
  ASSERT_EQ(test::runCli({"report", in, "-o", log, "--kind", "0"}).exitCode, 0);
  const std::string before = textOf(log);

  const std::string limit = "--fsize=" + std::to_string(before.size() + 100);
  const auto cut = test::runCli({"report", in, "-o", log, "--kind", "0", "--append"}, {"prlimit", limit});
  EXPECT_EQ(cut.exitCode, 1);
  EXPECT_NE(cut.err.find("Insufficient disk space"), std::string::npos) << cut.err;
  EXPECT_EQ(textOf(log), before);

  ASSERT_EQ(test::runCli({"report", in, "-o", log, "--kind", "0", "--append"}).exitCode, 0);
  EXPECT_EQ(textOf(log).find("+Log001", before.size()), before.size() + 4);
}

TEST(FileSafetyCli, LinksAnotherUserPlantsCannotRedirectASave) {
  if (!rootWithSetpriv()) GTEST_SKIP() << "needs root and setpriv";
  test::TempDir dir;
  const fs::path shared = dir.path() / "shared";
  fs::create_directory(shared);
  ::chmod(shared.c_str(), 0777);
  const std::string in = dir.file("in.mer"), victim = dir.file("victim.txt"), report = (shared / "r.txt").string();
  ASSERT_EQ(test::runCli({"synth", in, "--seconds", "1"}).exitCode, 0);
  test::writeBytes(victim, {'k', 'e', 'p', 't'});

  CliProcess saver({"report", in, "-o", report, "--kind", "0"}, dir.file("err"), true);
  // The other user plants links to the victim under the names the save's
  // temporary file would once have had, and a file of their own under the
  // name of a process that cannot run (beyond any process id).
  const std::string base = (shared / ".r.txt.vode-tmp-").string(), theirs = base + "999999999-AAAAAAAA";
  const std::string plant = "for i in $(seq 0 299); do ln -s " + victim + " " + base + std::to_string(saver.pid) +
                            "-$i; done; echo mine > " + theirs;
  ASSERT_EQ(test::runProgram({"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "/bin/sh",
                               "-c", plant}).exitCode, 0);

  saver.release();
  ASSERT_EQ(saver.wait(), 0) << saver.err();
  EXPECT_EQ(textOf(victim), "kept");
  EXPECT_EQ(textOf(report).rfind("Overall Averages Report", 0), 0u);
  // What the other user made stays: it is not this user's.
  EXPECT_EQ(temporariesIn(shared).size(), 301u);
  EXPECT_EQ(textOf(theirs), "mine\n");
}

TEST(FileSafetyCli, AnAppendKilledAtAnyMomentLeavesTheLogWhole) {
  test::TempDir dir;
  const std::string in = dir.file("in.mer"), log = dir.file("log.txt");
  ASSERT_EQ(test::runCli({"synth", in, "--seconds", "60", "--channels", "2"}).exitCode, 0);
  const std::vector<std::string> append = {"report", in, "-o", log, "--kind", "all", "--append"};
  ASSERT_EQ(test::runCli({"report", in, "-o", log, "--kind", "all"}).exitCode, 0);
  const std::size_t base = fs::file_size(log);
  ASSERT_EQ(test::runCli(append).exitCode, 0);
  const std::size_t block = fs::file_size(log) - base;

  std::mt19937 random(7);
  int whole = 1;
  for (int round = 0; round < 24; ++round) {
    CliProcess appender(append, dir.file("err"));
    if (round % 2) {
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 250000));
    } else {
      // The moment the writing shows: the log changing, or a file beside it.
      const std::size_t before = fs::file_size(log);
      std::error_code ec;
      while (fs::file_size(log, ec) == before && temporariesIn(dir.path()).empty() && appender.running()) {
      }
    }
    ::kill(appender.pid, SIGKILL);
    appender.wait();
    const std::size_t size = fs::file_size(log);
    ASSERT_EQ((size - base) % block, 0u) << "round " << round << ": " << size;
    whole = static_cast<int>((size - base) / block);
    ASSERT_EQ(count(textOf(log), "\r\n+Log"), whole);
  }
  // The next append numbers on and clears what the killed ones left.
  ASSERT_EQ(test::runCli(append).exitCode, 0);
  EXPECT_EQ(textOf(log).find("+Log" + std::to_string(1001 + whole).substr(1) + "\r\n"), base + whole * block + 4);
  EXPECT_TRUE(temporariesIn(dir.path()).empty());

  // Appends run at once each read the log as the one before left it.
  std::vector<std::unique_ptr<CliProcess>> appenders;
  for (int i = 0; i < 4; ++i) appenders.push_back(std::make_unique<CliProcess>(append, dir.file("err"), true));
  for (auto& a : appenders) a->release();
  for (auto& a : appenders) EXPECT_EQ(a->wait(), 0) << a->err();
  for (int n = whole + 1; n <= whole + 5; ++n)
    EXPECT_EQ(count(textOf(log), "+Log" + std::to_string(1000 + n).substr(1) + "\r\n"), 1) << n;
}

TEST(FileSafetyCli, APipeWithoutAWriterIsRefusedInSeconds) {
  test::TempDir dir;
  const std::string good = dir.file("good.mer");
  ASSERT_EQ(test::runCli({"synth", good, "--seconds", "2"}).exitCode, 0);
  for (const char* name : {"p.mer", "p.wav", "p.set"}) ASSERT_EQ(::mkfifo(dir.file(name).c_str(), 0600), 0);
  const std::string mer = dir.file("p.mer"), wav = dir.file("p.wav"), set = dir.file("p.set");
  const std::vector<std::vector<std::string>> runs = {
      {"info", mer},
      {"analyze", mer},
      {"convert", mer, dir.file("o.wav")},
      {"convert", wav, dir.file("o.mer")},
      {"convert", "--resample", wav, dir.file("r.mer")},
      {"analyze", good, "--settings", set},
      {"analyze", good, mer, good, "--jobs", "2"},
  };
  // All at once: each waits the same few seconds for a writer.
  std::vector<std::unique_ptr<CliProcess>> cli;
  for (std::size_t i = 0; i < runs.size(); ++i)
    cli.push_back(std::make_unique<CliProcess>(runs[i], dir.file("err" + std::to_string(i))));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    EXPECT_EQ(cli[i]->wait(), 1) << runs[i][0] << " " << runs[i][1];
    const std::string pipe = i == 5 ? set : i >= 3 && i <= 4 ? wav : mer;
    EXPECT_NE(cli[i]->err().find("Unable to open " + pipe + "... File access denied"), std::string::npos)
        << cli[i]->err();
  }
  // The batch went on past the pipe.
  EXPECT_NE(cli[6]->err().find("3 files, 1 failed"), std::string::npos);

  // A pipe with a writer is read as before.
  const auto piped = test::runProgram({"/bin/bash", "-c", std::string(VODE_CLI_PATH) + " info <(cat " + good + ")"});
  EXPECT_EQ(piped.exitCode, 0) << piped.err;
  EXPECT_NE(piped.out.find("\"segments\":20"), std::string::npos);
}

TEST(FileSafetyCli, PathsThatAreNotFilesSayWhatTheyAre) {
  test::TempDir dir;
  const std::string in = dir.file("in.mer");
  ASSERT_EQ(test::runCli({"synth", in, "--seconds", "1"}).exitCode, 0);
  fs::create_directory(dir.path() / "folder.mer");
  fs::create_symlink("loop.mer", dir.path() / "loop.mer");
  const std::string longName = dir.file(std::string(300, 'n') + ".mer"), huge = dir.file("huge.mer");
  test::writeBytes(huge, test::readBytes(in));  // a recording's start, past the size a reader holds
  fs::resize_file(huge, (std::uintmax_t{512} << 20) + 1);
  for (const auto& [path, says] : std::vector<std::pair<std::string, std::string>>{
           {dir.file("folder.mer"), " is a folder"},
           {dir.file("loop.mer"), ": too many levels of symbolic links"},
           {longName, ": file name too long"},
           {huge, " is too large (over 512 MiB)"}})
    EXPECT_EQ(test::runCli({"info", path}).err, path + says + "\n");
  // A link loop as the target is refused, not replaced by a file.
  const auto looped = test::runCli({"convert", in, dir.file("loop.mer")});
  EXPECT_EQ(looped.exitCode, 1);
  EXPECT_NE(looped.err.find("Too many levels of symbolic links"), std::string::npos) << looped.err;
  EXPECT_TRUE(fs::is_symlink(dir.path() / "loop.mer"));

  const auto palette = test::runCli({"sonogram", in, "-o", dir.file("s.png"), "--palette", dir.file("none.dat")});
  EXPECT_EQ(palette.exitCode, 1);
  EXPECT_NE(palette.err.find("Unable to open " + dir.file("none.dat") + "... File not found"), std::string::npos)
      << palette.err;
}

TEST(FileSafetyCli, RunningOutOfMemoryIsAMessageNeverACrash) {
  if (::access("/usr/bin/prlimit", X_OK) != 0) GTEST_SKIP() << "needs prlimit";
  test::TempDir dir;
  const std::string in = dir.file("full.mer");
  ASSERT_EQ(test::runCli({"synth", in, "--channels", "8", "--seconds", "180"}).exitCode, 0);
  const std::vector<std::vector<std::string>> runs = {
      {"info", in},
      {"convert", in, dir.file("o.wav")},
      {"report", in, "-o", dir.file("r.txt"), "--kind", "all"},
      {"sonogram", in, "-o", dir.file("s.png"), "--scale", "10"},
      {"wheeze", in},
      {"analyze", in, in, in, "--jobs", "2"},
  };
  // From too little to read the file up to enough for everything: each limit
  // stops some step on the way (reading, spectra, images, threads, pictures).
  int refused = 0, done = 0;
  for (int megabytes = 100; megabytes <= 260; megabytes += 40) {
    for (const auto& args : runs) {
      const auto r = test::runCli(args, {"prlimit", "--as=" + std::to_string(megabytes << 20)});
      const std::string what = std::to_string(megabytes) + " MiB, " + args[0] + ": " + r.err;
      ASSERT_TRUE(r.exitCode == 0 || r.exitCode == 1) << what;
      (r.exitCode == 0 ? done : refused)++;
      EXPECT_TRUE(r.exitCode == 0 || r.err.find("Not enough memory") != std::string::npos ||
                  r.err.find("Memory allocation failed") != std::string::npos) << what;
      for (const char* wrong : {"No Analysis", "has no channel", "No PSD", "std::", "unavailable"})
        EXPECT_EQ(r.err.find(wrong), std::string::npos) << what;
    }
  }
  EXPECT_GT(refused, 5);
  EXPECT_GT(done, 5);
}

TEST(FileSafetyCli, ThreadsThatCannotStartLeaveTheirWorkToTheOthers) {
  if (!rootWithSetpriv() || ::access("/usr/bin/prlimit", X_OK) != 0) GTEST_SKIP() << "needs root, setpriv, prlimit";
  test::TempDir dir;
  const std::string in = dir.file("in.mer");
  ASSERT_EQ(test::runCli({"synth", in, "--seconds", "20", "--channels", "2", "--wheezes"}).exitCode, 0);
  std::vector<std::string> oneProcess = AsNobody;
  oneProcess.insert(oneProcess.end(), {"prlimit", "--nproc=1"});
  for (const auto& args : std::vector<std::vector<std::string>>{{"wheeze", in, "--jobs", "2"},
                                                                 {"wheeze", in, in, "--jobs", "2"}}) {
    const auto limited = test::runCli(args, oneProcess);
    EXPECT_EQ(limited.exitCode, 0) << limited.err;
    EXPECT_EQ(limited.out, test::runCli(args).out);
  }
}

TEST(FileSafetyCli, MessagesNameTheFileAndWhatWasWrong) {
  VODE_NEEDS_TESTDATA();
  test::TempDir dir;
  // A name that is not UTF-8 comes back from the JSON as the same bytes.
  const std::string odd = dir.file("caf\xe9.mer"), plain = dir.file("plain.mer");
  ASSERT_EQ(test::runCli({"synth", odd, "--seconds", "2"}).exitCode, 0);
  ASSERT_EQ(test::runCli({"synth", plain, "--seconds", "2"}).exitCode, 0);
  const auto batch = test::runCli({"analyze", odd, plain});
  ASSERT_EQ(batch.exitCode, 0) << batch.err;
  test::JsonValue first;
  std::string error;
  ASSERT_TRUE(test::parseJson(batch.out.substr(0, batch.out.find("\n")), first, error)) << error;
  EXPECT_EQ(first["file"].text, odd);

  // A report a batch cannot write says whose it is.
  const auto empty = dir.file("empty.wav");
  test::writeShortWav(empty, 0);
  const auto refused = test::runCli({"report", empty, plain, "-o", dir.file("out"), "--kind", "0"});
  EXPECT_NE(refused.err.find("vode-cli: " + empty + ": No Analysis\n"), std::string::npos) << refused.err;

  const std::string file = test::testdata("flow2_tagged.mer");
  for (const auto& [parameters, says] : std::vector<std::pair<std::string, std::string>>{
           {"peak=50", "peak cannot be 50"},
           {"step=x", "step needs a number, not \"x\""},
           {"width=3", "\"width=3\" is not a known NAME=VALUE"}}) {
    const auto r = test::runCli({"wheeze", file, "--detector", "tonal", "--tonal-parameters", parameters});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
  }
  EXPECT_EQ(test::runCli({"wheeze", file, "--detector", "tonal", "--tonal-parameters", "peak=9, track=10"}).exitCode, 0);
}
