# make run  - install what is missing, build, show the program connecting a demonstration share
# make test - install what is missing, build, run every test
# make test-windows - cross-build the toolkit-free code and the Win32 backends, test under Wine
# make windows - the whole Windows program: Kayoiji.exe, its installer and a portable zip
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
BUILD_WIN  ?= build-win
BUILD_WINDOWS ?= build-windows
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
# ON: compiler warnings fail the build (CI sets it). Every configure below
# passes it, so an existing build folder follows a change.
KAYOIJI_WERROR ?= OFF

WARNING_FLAGS = -DKAYOIJI_WERROR=$(KAYOIJI_WERROR)
CMAKE_FLAGS = -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WARNING_FLAGS)

.PHONY: all deps build run test test-windows windows test-windows-program bench-windows sanitize fuzz bench package format clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# A demonstration share of its own, connected to Z: (as root, with Samba),
# otherwise the sample data/ConfFile.dat; in a virtual display when there is none.
run: build
	@bash scripts/demo-run.sh $(BUILD)/src/app/kayoiji

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The toolkit-free layers and the Win32 backends, cross-built with MinGW-w64
# and run under Wine in a prefix inside the build folder (the build prepares
# it). Wine's helper processes keep the output of the program that started
# them open, so a quiet first start spares the first test that wait.
test-windows:
	@KAYOIJI_WINDOWS=1 bash scripts/install-deps.sh
	@cmake -S . -B $(BUILD_WIN) $(CMAKE_FLAGS) --no-warn-unused-cli \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKAYOIJI_GUI=OFF -DKAYOIJI_BENCH=OFF >/dev/null
	@cmake --build $(BUILD_WIN) -j $(JOBS)
	@cd $(BUILD_WIN) && export WINEPREFIX=$$PWD/wineprefix WINEDEBUG=-all && \
	  wine=$$(sed -n 's/^KAYOIJI_WINE_LOADER:FILEPATH=//p' CMakeCache.txt) && \
	  server=$$(dirname $$wine)/wineserver && { [ -x $$server ] || server=wineserver; } && \
	  $$wine wineboot </dev/null >/dev/null 2>&1; \
	  ctest --output-on-failure -j $(JOBS); status=$$?; $$server -w; exit $$status

# The whole Windows program with its windows: Qt for Windows is built once
# from Debian's sources into a cache outside the checkout (20 minutes the
# first time), then Kayoiji.exe (static, no DLLs), the installer
# Kayoiji-<version>-win64-setup.exe, Kayoiji-<version>-win64.zip and the
# relinking archive Kayoiji-<version>-win64-relink.zip.
windows:
	@KAYOIJI_WINDOWS=1 bash scripts/install-deps.sh
	@QT_WINDOWS_JOBS=$(JOBS) bash scripts/build-qt-windows.sh
	@qt=$$(bash scripts/build-qt-windows.sh --print) && host=$$(bash scripts/build-qt-windows.sh --print-host) && \
	  { { grep -qx "KAYOIJI_QT_PREFIX:PATH=$$qt" $(BUILD_WINDOWS)/CMakeCache.txt && \
	      grep -qx "KAYOIJI_QT_HOST_PATH:PATH=$$host" $(BUILD_WINDOWS)/CMakeCache.txt; } 2>/dev/null || \
	    rm -f $(BUILD_WINDOWS)/CMakeCache.txt; } && \
	  cmake -S . -B $(BUILD_WINDOWS) $(CMAKE_FLAGS) --no-warn-unused-cli \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKAYOIJI_QT_PREFIX=$$qt \
	    -DKAYOIJI_QT_HOST_PATH=$$host -DKAYOIJI_GUI=ON -DKAYOIJI_BENCH=OFF >/dev/null
	@cmake --build $(BUILD_WINDOWS) -j $(JOBS)
	@cd $(BUILD_WINDOWS) && cpack >/dev/null && ls -l src/app/Kayoiji.exe Kayoiji-*-win64*

# Kayoiji.exe's size and start under Wine against a minimal Qt Widgets
# program built with the same Qt (BENCH_RUNS interleaved runs of each).
BENCH_RUNS ?= 20
bench-windows: windows
	@cmake --build $(BUILD_WINDOWS) -j $(JOBS) --target minimal_window wine_start
	@bash bench/wine-start.sh $(BUILD_WINDOWS) $(BENCH_RUNS)

# The real program under Wine with its windows on a virtual screen, also
# connecting through the tests' network provider, and the installer
# installed and removed again.
test-windows-program: windows
	@cd $(BUILD_WINDOWS) && ctest --output-on-failure -L windows-program

# The toolkit-free layers under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(WARNING_FLAGS) -DKAYOIJI_GUI=OFF \
	  -DKAYOIJI_BENCH=OFF -DKAYOIJI_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD_ASAN) -j $(JOBS)
	@cd $(BUILD_ASAN) && ctest --output-on-failure -j $(JOBS) -LE integration

# The reader and the password decoder under libFuzzer, from the committed seeds.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  $(WARNING_FLAGS) -DKAYOIJI_GUI=OFF -DKAYOIJI_TESTS=OFF -DKAYOIJI_BENCH=OFF -DKAYOIJI_FUZZ=ON >/dev/null
	@cmake --build $(BUILD_FUZZ) -j $(JOBS)
	@for t in reader:ReaderFuzz unscramble:UnscrambleFuzz; do \
	  corpus=$${t%%:*}; bin=$${t##*:}; work=$(BUILD_FUZZ)/corpus-$$corpus; \
	  mkdir -p $$work && \
	  $(BUILD_FUZZ)/fuzz/$$bin -max_total_time=$(FUZZ_SECONDS) -max_len=20000 -timeout=10 \
	    -print_final_stats=1 -artifact_prefix=$(BUILD_FUZZ)/ $$work fuzz/corpus/$$corpus \
	    >$(BUILD_FUZZ)/$$bin.log 2>&1 || { tail -n 40 $(BUILD_FUZZ)/$$bin.log; exit 1; }; \
	  grep -E '^(Done|stat::number_of_executed_units)' $(BUILD_FUZZ)/$$bin.log; \
	done

# The Debian package (build/kayoiji_1.0.8-1_amd64.deb).
package: build
	@cmake --build $(BUILD) --target package

bench: build
	@$(BUILD)/bench/settings_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	@$(BUILD)/bench/startup_bench
	@dbus-run-session -- $(BUILD)/bench/reconnect_bench --benchmark_filter=IdleCost
	@bash tests/reconnect/in-network-namespace.sh bash tests/integration/smb-fixture.sh $(BUILD) \
	  $(BUILD)/bench/reconnect_bench --benchmark_filter=EventToReadable

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_WIN) $(BUILD_WINDOWS)
