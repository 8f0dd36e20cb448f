# Set-up, build and test in one place. `make demo` and `make test` work on a
# fresh Debian 12 machine: they install the packages that are missing (as
# root, or through sudo), configure with CMake and Ninja, and build.

BUILD ?= build
ASAN_BUILD ?= build-asan
PACKAGES := g++ cmake ninja-build make qt6-base-dev qt6-multimedia-dev \
            libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core \
            nlohmann-json3-dev clang-14 libclang-rt-14-dev clang-format clang-tidy git \
            libnl-3-dev libnl-genl-3-dev libsystemd-dev dbus-daemon libcap2-bin python3 \
            dpkg-dev desktop-file-utils shared-mime-info libglib2.0-bin poppler-utils
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
CMAKE_FLAGS ?=
ifneq ($(CI),)
CMAKE_FLAGS += -DMARLOW_WERROR=ON
endif
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build test demo deb sanitize tsan fuzz check bench soak format clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' \
	        || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -q && \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
	        --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

demo: build
	$(BUILD)/src/shell/marlow --demo

# The Debian package, in $(BUILD): what `cmake --install` installs, under
# /usr, depending on the packages of the libraries the programs link.
deb: build
	cd $(BUILD) && cpack -G DEB

# The Qt-free core under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DENABLE_ASAN=ON \
	    -DBUILD_GUI=OFF -DBUILD_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest -L core --output-on-failure -j $(JOBS)

# The Qt-free core, whose link and serial port run threads, under
# ThreadSanitizer.
TSAN_BUILD ?= build-tsan
tsan: deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_CXX_FLAGS=-fsanitize=thread \
	    -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DBUILD_GUI=OFF -DBUILD_BENCHMARKS=OFF \
	    $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1 ctest -L core --output-on-failure -j $(JOBS)

# The link's receive parser and message handling, and the Wi-Fi source's
# reading of the kernel's messages, each under libFuzzer for 60 seconds from
# its seed corpus; then the site-file reader and Save Site Data for 90
# seconds each, where an allocation of more than a gigabyte fails the run
# too. Only the fuzzers are built there: the libraries carry their
# instrumentation, which other programs cannot link without the fuzzer's
# runtime.
FUZZ_BUILD ?= build-fuzz
fuzz: deps
	CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) -G Ninja -DENABLE_FUZZ=ON -DBUILD_GUI=OFF \
	    -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target link_fuzzer wifi_fuzzer sitefile_fuzzer \
	    sitesave_fuzzer
	cmake --build $(FUZZ_BUILD) --target fuzz_link
	cmake --build $(FUZZ_BUILD) --target fuzz_wifi
	cmake --build $(FUZZ_BUILD) --target fuzz_sitefile
	cmake --build $(FUZZ_BUILD) --target fuzz_sitesave

# House rules that no compiler checks: the sources as .clang-format has
# them, every include within its layer (.ci/check-layers), and clang-tidy's
# bug and performance checks (.clang-tidy) over the Qt-free core, whose
# compile commands a configure without Qt gives.
TIDY_BUILD ?= build-tidy
CORE_SOURCES = git ls-files 'src/base/*.cpp' 'src/store/*.cpp' 'src/sitefile/*.cpp' \
               'src/protocol/*.cpp' 'src/link/*.cpp' 'src/board/*.cpp' 'src/wifi/*.cpp' \
               'src/measure/*.cpp' 'src/journal/*.cpp' 'src/session/*.cpp' src/view/MapViewport.cpp src/view/RssiScale.cpp
check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
	.ci/check-layers
	cmake -S . -B $(TIDY_BUILD) -G Ninja -DBUILD_GUI=OFF -DBUILD_BENCHMARKS=OFF \
	    -DBUILD_TESTING=OFF $(CMAKE_FLAGS)
	$(CORE_SOURCES) | xargs -P $(JOBS) -n 4 clang-tidy -p $(TIDY_BUILD) --quiet

bench: build
	for b in $(BUILD)/bench/*_bench; do $$b; done

# The program offscreen with the simulated board's faults for 1,000 points,
# then a save: memory, lost points and the file's bytes (a few minutes).
soak: build
	$(BUILD)/bench/soak_run

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(TIDY_BUILD)
