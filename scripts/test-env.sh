#!/usr/bin/env bash
# The private desktop the end-to-end tests run on: an Xvfb display whose root window shows
# the known desktop pattern, a Wine prefix with Managed=N made once and reused, and a
# PulseAudio server with a null sink that records what is played.
#
#   scripts/test-env.sh start NATIVE_BUILD_DIR ENV_DIR
#       Starts everything and writes ENV_DIR/env.sh (the exports a test needs) and
#       ENV_DIR/pids (what was started, for stop).
#   scripts/test-env.sh stop ENV_DIR
#       Stops exactly what start started, by PID, and removes ENV_DIR/pids.
#   scripts/test-env.sh run NATIVE_BUILD_DIR ENV_DIR -- CMD ARGS...
#       start, CMD with env.sh's environment, stop (also on failure and Ctrl-C); exits with
#       CMD's status.
#   scripts/test-env.sh fixture-start NATIVE_BUILD_DIR ENV_DIR
#   scripts/test-env.sh fixture-stop ENV_DIR
#       ctest's test_env fixture (cmake/TestEnvironment.cmake): start and stop, unless ctest
#       itself runs inside an environment (under `run`, which sets REELBOX_WINE_TEMP); the
#       tests then use that one.
#
# ENV_DIR holds the prefix (wineprefix/, reused once wineprefix/.reelbox-ready exists), a
# private HOME (home/), the PulseAudio runtime folder (runtime/, mode 700) and the logs of
# the servers. Nothing outside ENV_DIR is touched except the X display's socket and lock.
set -u -o pipefail

SCREEN_GEOMETRY=1024x768x24
FIRST_DISPLAY=90
LAST_DISPLAY=499

say() { echo "test-env: $*" >&2; }
die() { say "error: $*"; exit 1; }
now_ms() { date +%s%3N; }
elapsed() { # start_ms -> "1.234 s"
    local ms=$(( $(now_ms) - $1 ))
    printf '%d.%03d s' $((ms / 1000)) $((ms % 1000))
}
usage() {
    sed -n '7,19p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

# A pid is ours only while it still runs the program we started (pids get reused).
# A zombie waiting for its parent to reap it counts as ended.
pid_runs() { # pid name
    local stat
    [ -n "$1" ] && [ "$(cat "/proc/$1/comm" 2>/dev/null)" = "$2" ] || return 1
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}

pids_value() { # key -> value from ENV_DIR/pids
    [ -f "$ENV_DIR/pids" ] && awk -v k="$1" '$1 == k { print $2 }' "$ENV_DIR/pids" | tail -n 1
}

set_env_dir() {
    mkdir -p "$1" || die "cannot create $1"
    ENV_DIR=$(cd "$1" && pwd) || die "cannot enter $1"
    WINEPREFIX_DIR=$ENV_DIR/wineprefix
    PRIVATE_HOME=$ENV_DIR/home
    RUNTIME_DIR=$ENV_DIR/runtime
}

common_exports() {
    export HOME=$PRIVATE_HOME
    export XDG_RUNTIME_DIR=$RUNTIME_DIR
    export PULSE_SERVER=unix:$RUNTIME_DIR/pulse/native
    export WINEPREFIX=$WINEPREFIX_DIR
    export WINEDEBUG=-all
    export WINEARCH=win64
}

display_free() { # n
    [ ! -e "/tmp/.X11-unix/X$1" ] && [ ! -e "/tmp/.X$1-lock" ]
}

start_xvfb() {
    local t0 n pid waited
    t0=$(now_ms)
    for ((n = FIRST_DISPLAY; n <= LAST_DISPLAY; n++)); do
        display_free "$n" || continue
        rm -f "$ENV_DIR/xvfb.ready"
        # -displayfd: the server writes the display number once it accepts clients.
        # setsid keeps Ctrl-C in the terminal away from it; stop ends it in order.
        setsid Xvfb ":$n" -screen 0 "$SCREEN_GEOMETRY" -noreset -nolisten tcp \
            -displayfd 3 3>"$ENV_DIR/xvfb.ready" </dev/null >"$ENV_DIR/xvfb.log" 2>&1 &
        pid=$!
        for ((waited = 0; waited < 1000; waited++)); do # up to 10 s
            [ -s "$ENV_DIR/xvfb.ready" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.01
        done
        if [ -s "$ENV_DIR/xvfb.ready" ] && kill -0 "$pid" 2>/dev/null; then
            echo "xvfb $pid" >>"$ENV_DIR/pids"
            echo "display $n" >>"$ENV_DIR/pids"
            DISPLAY_NUMBER=$n
            export DISPLAY=":$n"
            say "Xvfb :$n (pid $pid) ready in $(elapsed "$t0")"
            return 0
        fi
        # Another server took the number between the check and the start: try the next.
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        say "display :$n was not usable, trying the next ($(tail -n 1 "$ENV_DIR/xvfb.log"))"
    done
    die "no free X display between :$FIRST_DISPLAY and :$LAST_DISPLAY"
}

paint_desktop() {
    local t0
    t0=$(now_ms)
    "$PAINTER" >/dev/null || die "painting the desktop pattern failed"
    say "desktop pattern painted in $(elapsed "$t0")"
}

start_pulseaudio() {
    local t0 pid waited
    t0=$(now_ms)
    mkdir -p "$RUNTIME_DIR" "$PRIVATE_HOME" && chmod 700 "$RUNTIME_DIR" ||
        die "cannot prepare $RUNTIME_DIR"
    pulseaudio -D -n --exit-idle-time=-1 --system=false \
        --load="module-null-sink sink_name=nullsink" --load="module-native-protocol-unix" \
        --log-target=file:"$ENV_DIR/pulseaudio.log" </dev/null >/dev/null 2>&1 ||
        die "pulseaudio did not start (see $ENV_DIR/pulseaudio.log)"
    for ((waited = 0; waited < 500; waited++)); do # up to 5 s
        pactl info >/dev/null 2>&1 && break
        sleep 0.01
    done
    pactl info >/dev/null 2>&1 || die "pulseaudio does not answer at $PULSE_SERVER"
    pid=$(cat "$RUNTIME_DIR/pulse/pid" 2>/dev/null)
    pid_runs "$pid" pulseaudio || die "pulseaudio wrote no pid file"
    echo "pulseaudio $pid" >>"$ENV_DIR/pids"
    say "PulseAudio (pid $pid, sink nullsink) ready in $(elapsed "$t0")"
}

prepare_prefix() {
    local t0
    t0=$(now_ms)
    if [ -f "$WINEPREFIX_DIR/.reelbox-ready" ]; then
        say "Wine prefix $WINEPREFIX_DIR reused"
        return 0
    fi
    # A prefix without the stamp is a run that broke off half-way: make it again.
    rm -rf "$WINEPREFIX_DIR"
    say "creating the Wine prefix $WINEPREFIX_DIR (takes 10 to 20 s)"
    # No Mono or Gecko: the player needs neither, and their install prompts would block.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i </dev/null >"$ENV_DIR/wineboot.log" 2>&1 ||
        die "wineboot -i failed (see $ENV_DIR/wineboot.log)"
    # Without a window manager Wine must not wait for one; keys then reach the focused window.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        </dev/null >>"$ENV_DIR/wineboot.log" 2>&1 || die "setting Managed=N failed"
    wineserver -w
    touch "$WINEPREFIX_DIR/.reelbox-ready"
    say "Wine prefix created in $(elapsed "$t0")"
}

# The prefix's temporary folder, C:\users\<user>\Temp, as a Unix path.
find_wine_temp() {
    local user dir
    user=$(id -un)
    dir=$WINEPREFIX_DIR/drive_c/users/$user/Temp
    if [ ! -d "$dir" ]; then
        for dir in "$WINEPREFIX_DIR"/drive_c/users/*/Temp; do
            case $dir in */Public/Temp) continue ;; esac
            [ -d "$dir" ] && break
        done
    fi
    [ -d "$dir" ] || die "no Temp folder under $WINEPREFIX_DIR/drive_c/users"
    WINE_TEMP=$dir
}

# Starts the prefix's wineserver to stay and Wine's session processes detached from any
# terminal or pipe, so the tests' programs start in a fraction of a second.
start_wine_session() {
    local t0
    t0=$(now_ms)
    setsid wineserver -p </dev/null >/dev/null 2>&1
    setsid wine cmd /c exit </dev/null >/dev/null 2>&1 || die "wine cannot run cmd in the prefix"
    echo "wineprefix $WINEPREFIX_DIR" >>"$ENV_DIR/pids"
    say "Wine session started in $(elapsed "$t0")"
}

write_env_file() {
    {
        echo "# Written by scripts/test-env.sh start; source it to reach this test desktop."
        printf 'export DISPLAY=%q\n' "$DISPLAY"
        printf 'export WINEPREFIX=%q\n' "$WINEPREFIX"
        printf 'export WINEDEBUG=%q\n' "$WINEDEBUG"
        printf 'export WINEARCH=%q\n' "$WINEARCH"
        printf 'export HOME=%q\n' "$HOME"
        printf 'export XDG_RUNTIME_DIR=%q\n' "$XDG_RUNTIME_DIR"
        printf 'export PULSE_SERVER=%q\n' "$PULSE_SERVER"
        printf 'export REELBOX_WINE_TEMP=%q\n' "$WINE_TEMP"
    } >"$ENV_DIR/env.sh"
}

do_start() {
    local t0 pid
    t0=$(now_ms)
    NATIVE_BUILD=$(cd "$1" 2>/dev/null && pwd) || die "native build folder $1 does not exist"
    PAINTER=$NATIVE_BUILD/tests/e2e/harness/reelbox_desktop_pattern
    [ -x "$PAINTER" ] ||
        die "$PAINTER is missing: build the native tree first (target reelbox_desktop_pattern)"
    set_env_dir "$2"
    if [ -f "$ENV_DIR/pids" ]; then
        pid=$(pids_value xvfb)
        pid_runs "$pid" Xvfb && die "an environment is running in $ENV_DIR: stop it first"
        say "removing the pids file of an environment that is gone"
        rm -f "$ENV_DIR/pids"
    fi
    mkdir -p "$PRIVATE_HOME" || die "cannot create $PRIVATE_HOME"
    : >"$ENV_DIR/pids"
    common_exports
    # Whatever fails from here on, stop what was already started.
    trap 'status=$?; if [ $status -ne 0 ]; then do_stop_quiet; fi' EXIT
    start_xvfb
    paint_desktop
    start_pulseaudio
    prepare_prefix
    find_wine_temp
    start_wine_session
    write_env_file
    trap - EXIT
    say "environment ready in $(elapsed "$t0"): DISPLAY=$DISPLAY, env in $ENV_DIR/env.sh"
}

stop_pid() { # pid name
    local pid=$1 name=$2 waited
    pid_runs "$pid" "$name" || return 0
    kill -TERM "$pid" 2>/dev/null
    for ((waited = 0; waited < 500; waited++)); do # up to 5 s
        pid_runs "$pid" "$name" || return 0
        sleep 0.01
    done
    say "$name (pid $pid) did not end on TERM, killing it"
    kill -KILL "$pid" 2>/dev/null
}

do_stop() {
    local t0 t1 prefix pid
    t0=$(now_ms)
    if [ ! -f "$ENV_DIR/pids" ]; then
        say "nothing to stop in $ENV_DIR"
        return 0
    fi
    common_exports
    prefix=$(pids_value wineprefix)
    if [ -n "$prefix" ]; then
        # Ends this prefix's wineserver and every Wine process of this prefix only.
        t1=$(now_ms)
        WINEPREFIX=$prefix wineserver -k </dev/null >/dev/null 2>&1
        say "Wine session of $prefix ended in $(elapsed "$t1")"
    fi
    pid=$(pids_value pulseaudio)
    if pid_runs "$pid" pulseaudio; then
        t1=$(now_ms)
        pulseaudio --kill >/dev/null 2>&1
        stop_pid "$pid" pulseaudio
        say "PulseAudio (pid $pid) ended in $(elapsed "$t1")"
    fi
    pid=$(pids_value xvfb)
    if pid_runs "$pid" Xvfb; then
        t1=$(now_ms)
        stop_pid "$pid" Xvfb
        say "Xvfb (pid $pid) ended in $(elapsed "$t1")"
    fi
    rm -f "$ENV_DIR/pids" "$ENV_DIR/xvfb.ready" "$ENV_DIR/env.sh"
    say "stopped in $(elapsed "$t0")"
}

do_stop_quiet() {
    say "start failed; stopping what was started"
    do_stop
}

command=${1:-}
case $command in
start)
    [ $# -eq 3 ] || usage
    do_start "$2" "$3"
    ;;
stop)
    [ $# -eq 2 ] || usage
    set_env_dir "$2"
    do_stop
    ;;
fixture-start | fixture-stop)
    if [ -n "${REELBOX_WINE_TEMP:-}" ]; then
        say "the tests use the environment they run in (DISPLAY=${DISPLAY:-})"
        exit 0
    fi
    if [ "$command" = fixture-start ]; then
        [ $# -eq 3 ] || usage
        do_start "$2" "$3"
    else
        [ $# -eq 2 ] || usage
        set_env_dir "$2"
        do_stop
    fi
    ;;
run)
    [ $# -ge 5 ] && [ "$4" = "--" ] || usage
    native=$2
    set_env_dir "$3"
    shift 4
    ( do_start "$native" "$ENV_DIR" ) || exit 1
    status=0
    trap 'do_stop' EXIT
    trap 'status=130; exit 130' INT
    trap 'status=143; exit 143' TERM
    t0=$(now_ms)
    ( set -a && . "$ENV_DIR/env.sh" && exec "$@" )
    status=$?
    say "$1 finished with status $status in $(elapsed "$t0")"
    exit $status
    ;;
*)
    usage
    ;;
esac
