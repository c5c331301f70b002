#!/usr/bin/env bash
# Builds the whole tree a second time with AddressSanitizer, LeakSanitizer
# and UndefinedBehaviorSanitizer (clang) and runs every test suite against it.
# clang also shows that the generated assets do not depend on the compiler:
# the contact-sheet test compares them with the gcc-made copy in docs/.
# Without a display the suites run on a private Xvfb server.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${ORBIVANE_SANITIZER_BUILD_DIR:-build-asan}"
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

bash scripts/setup.sh
# The compiler is chosen once, when the build folder is made.
compiler=()
[ -f "$build/CMakeCache.txt" ] || compiler=(-DCMAKE_CXX_COMPILER=clang++-14)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug "${compiler[@]}" \
  -DCMAKE_CXX_FLAGS="$sanitizers" -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" -DCMAKE_SHARED_LINKER_FLAGS="$sanitizers"
cmake --build "$build" -j"$(nproc)"

# Mesa's driver and OpenAL's backends are unloaded at exit, before the leak
# check, and their leaks would then show only "<unknown module>" frames that
# no suppression can name. Keeping every library loaded keeps them readable.
keep_loaded="$PWD/$build/keep-loaded.so"
printf 'int dlclose(void* handle) { (void)handle; return 0; }\n' |
  cc -shared -fPIC -x c -o "$keep_loaded" -

export LD_PRELOAD="$keep_loaded"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer

cd "$build"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure
fi
exec ctest --output-on-failure
