#include "tests/support/test_pki.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

std::string Join(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ",") + n;
  return out;
}

}  // namespace

bool TestPki::Run(const std::vector<std::string>& args, std::string* output) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::vector<char*> argv{const_cast<char*>("openssl")};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const bool spawned = posix_spawnp(&pid, "openssl", &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  std::string text;
  char chunk[4096];
  ssize_t n;
  while ((n = read(fds[0], chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  if (spawned) waitpid(pid, &status, 0);
  if (output) *output = text;
  if (spawned && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) std::fprintf(stderr, "openssl: %s", text.c_str());
  return spawned && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string TestPki::PinOf(const std::string& keyFile) {
  const std::string der = keyFile + ".spki";
  std::string out;
  if (!Run({"pkey", "-in", keyFile, "-pubout", "-outform", "DER", "-out", der}) ||
      !Run({"dgst", "-sha256", "-r", der}, &out)) {
    return {};
  }
  return out.size() >= 64 ? out.substr(0, 64) : std::string();
}

TestPki::TestPki(std::string folder, const std::string& caName) : folder_(std::move(folder)) {
  ca_.cert = folder_ + "/ca.pem";
  ca_.key = folder_ + "/ca.key";
  // openssl ca keeps a database and serial numbers; the dates of each
  // certificate are given, so an expired one can be made today.
  const std::string config = "[ca]\ndefault_ca = test_ca\n[test_ca]\ndatabase = " + folder_ +
                             "/index.txt\nnew_certs_dir = " + folder_ + "\nserial = " + folder_ +
                             "/serial\ndefault_md = sha256\npolicy = any\ncopy_extensions = copy\n"
                             "unique_subject = no\n[any]\ncommonName = supplied\n";
  ok_ = WriteText(folder_ + "/ca.cnf", config) && WriteText(folder_ + "/index.txt", "") &&
        WriteText(folder_ + "/serial", "1000\n") &&
        Run({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
             ca_.key, "-out", ca_.cert, "-subj", "/CN=" + caName, "-days", "3650"});
}

TestCertificate TestPki::Issue(const std::string& name, const std::vector<std::string>& names, bool expired) {
  TestCertificate c;
  c.key = folder_ + "/" + name + ".key";
  const std::string csr = folder_ + "/" + name + ".csr";
  const std::string cert = folder_ + "/" + name + ".pem";
  const bool made =
      Run({"req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", c.key,
           "-out", csr, "-subj", "/CN=" + name, "-addext", "subjectAltName=" + Join(names)}) &&
      Run({"ca", "-batch", "-notext", "-config", folder_ + "/ca.cnf", "-cert", ca_.cert, "-keyfile", ca_.key, "-in",
           csr, "-out", cert, "-startdate", "20200101000000Z", "-enddate",
           expired ? "20210101000000Z" : "20991231000000Z"});
  if (!made) return TestCertificate{};
  c.cert = cert;
  c.pin = PinOf(c.key);
  return c;
}
