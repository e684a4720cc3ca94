# Sourced by the scripts that run Windows programs: which builds this machine
# can run, a private Xvfb, one Wine prefix per build under the build tree, and
# stopping all of it again on every way out.
#
#   wine_builds_to_run           sets WINE_BUILDS (builds to run, in order) and
#                                WINE_BUILDS_NOT_RUN (one line per build left
#                                out, with the reason)
#   wine_session_start DIR       Xvfb on a free display; stops it on exit
#   wine_prefix_use BUILD DIR [on-display]
#                                WINEPREFIX for BUILD under DIR, made once
#   wine_session_stop            every wineserver started here, then Xvfb
#
# BUILD is i686 (the 32-bit program) or x86_64 (the 64-bit one).
# VIMBREL_WINE_ARCHS lists the builds to run (default "i686 x86_64");
# VIMBREL_WINE_ARCHS=x86_64 runs the 64-bit way only, on any machine.

WINE_SESSION_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Where each build's tree is (the Makefile's WIN_TREE_*).
declare -A WINE_BUILD_TREE=([i686]=$WINE_SESSION_ROOT/build/win32 [x86_64]=$WINE_SESSION_ROOT/build/win64)
WINE_SESSION_PREFIXES=()
WINE_SESSION_XVFB=

# Whether this machine executes 32-bit programs, found by trying the 32-bit
# Wine loader: some kernels run no 32-bit programs at all. Sets WINE_I686_WHY.
wine_i686_runs() {
  local loader=/usr/lib/wine/wine out
  if [[ ! -e $loader ]]; then
    WINE_I686_WHY="the 32-bit Wine loader $loader is not installed"
    return 1
  fi
  if out=$("$loader" --version 2>&1); then
    return 0
  fi
  out=${out##*: }
  WINE_I686_WHY="this machine does not execute 32-bit programs ($loader: ${out:-it failed to start})"
  return 1
}

wine_builds_to_run() {
  local wanted=${VIMBREL_WINE_ARCHS:-i686 x86_64} build
  WINE_BUILDS=()
  WINE_BUILDS_NOT_RUN=()
  for build in $wanted; do
    case $build in
      i686 | x86_64) ;;
      *)
        echo "VIMBREL_WINE_ARCHS: unknown build '$build'; use i686, x86_64 or both" >&2
        return 1
        ;;
    esac
  done
  for build in i686 x86_64; do
    if [[ " $wanted " != *" $build "* ]]; then
      WINE_BUILDS_NOT_RUN+=("$build: not run: VIMBREL_WINE_ARCHS=\"$wanted\" leaves it out")
    elif [[ $build == i686 ]] && ! wine_i686_runs; then
      WINE_BUILDS_NOT_RUN+=("$build: not run: $WINE_I686_WHY")
    else
      WINE_BUILDS+=("$build")
    fi
  done
  [[ ${#WINE_BUILDS[@]} -gt 0 ]] || {
    echo "no Windows build can run here: ${WINE_BUILDS_NOT_RUN[*]}" >&2
    return 1
  }
}

# Xvfb on a free display. The caller's EXIT trap (or wine_session_trap) calls
# wine_session_stop, which also stops Xvfb when this fails half-way.
wine_session_start() {
  mkdir -p "$1"
  local dir number=""
  dir=$(cd "$1" && pwd)
  export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree=
  # -displayfd picks a free display number and tells it when the server is up.
  exec {displayfd}<> <(:)
  Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
  WINE_SESSION_XVFB=$!
  read -r -t 20 number <&"$displayfd" || true
  exec {displayfd}>&-
  [[ -n $number ]] || {
    echo "Xvfb did not start on a free display (see $dir/xvfb.log)" >&2
    return 1
  }
  export DISPLAY=:$number
}

# Makes BUILD's prefix under DIR the current one, creating it when it is new.
# The tests' prefix (DIR/BUILD/prefix) has a Wine virtual desktop; with
# "on-display", the prefix for the user's own display (DIR/BUILD/run-prefix)
# has none.
wine_prefix_use() {
  local build=$1 dir name=prefix
  [[ ${3:-} == on-display ]] && name=run-prefix
  mkdir -p "$2/$build"
  dir=$(cd "$2/$build" && pwd)
  export VIMBREL_WINE_ARCH=$build
  export VIMBREL_WINEPREFIX=$dir/$name
  export WINEPREFIX=$VIMBREL_WINEPREFIX
  [[ " ${WINE_SESSION_PREFIXES[*]} " == *" $WINEPREFIX "* ]] || WINE_SESSION_PREFIXES+=("$WINEPREFIX")
  [[ -f $WINEPREFIX/.vimbrel-ready ]] && return 0
  echo "wine: preparing the $build prefix $WINEPREFIX (once)" >&2
  local run=("$WINE_SESSION_ROOT/tools/wine-run.sh" "$build")
  rm -rf "$WINEPREFIX"
  "${run[@]}" wineboot -i >"$dir/$name-wineboot.log" 2>&1 && wineserver -w || {
    echo "Wine could not make its $build prefix in $WINEPREFIX (see $dir/$name-wineboot.log)" >&2
    return 1
  }
  # Wine's own fonts (Marlett draws the frame buttons), which this Wine does
  # not find in its data folder by itself.
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # A virtual desktop: Wine then draws the window frames itself and keeps the
  # foreground and keyboard focus to itself, whatever the X server does.
  if [[ $name == prefix ]]; then
    "${run[@]}" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 &&
      "${run[@]}" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1 &&
      wineserver -w || {
      echo "Wine could not set up its $build prefix in $WINEPREFIX" >&2
      return 1
    }
  fi
  touch "$WINEPREFIX/.vimbrel-ready"
}

# Stops the wineserver of every prefix used here (with every program still
# running in it), then Xvfb. Safe to call more than once.
wine_session_stop() {
  local prefix
  for prefix in "${WINE_SESSION_PREFIXES[@]}"; do
    WINEPREFIX=$prefix timeout 30 wineserver -k >/dev/null 2>&1 || true
  done
  WINE_SESSION_PREFIXES=()
  if [[ -n $WINE_SESSION_XVFB ]]; then
    kill "$WINE_SESSION_XVFB" >/dev/null 2>&1
    wait "$WINE_SESSION_XVFB" 2>/dev/null || true
    WINE_SESSION_XVFB=
  fi
}

# An interrupted script still runs its EXIT trap, and so stops the session.
trap 'exit 130' INT
trap 'exit 143' TERM
