# Sourced by the scripts: ensure_packages PACKAGE... installs with apt-get
# the Debian packages that are not installed yet (sudo when not root), and
# retries a few times when another install holds the package lock.
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  local attempt
  for attempt in 1 2 3 4 5; do
    $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
      $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" && return 0
    [ "$attempt" -lt 5 ] && { echo "apt-get failed (lock?); retrying in 20 s" >&2; sleep 20; }
  done
  return 1
}
