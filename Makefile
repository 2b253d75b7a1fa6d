# Thin wrapper: installs what a fresh Debian machine lacks, then builds, runs or tests.
#   make run    build and open the window
#   make test   build and run every test headless
#   make bench  build and run the benchmarks
#   make fuzz   build the fuzz targets (clang, libFuzzer)

BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

# Debian packages the build and the tests need.
PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev \
            libgtest-dev libgmock-dev libbenchmark-dev \
            xvfb xauth fonts-liberation2 fonts-dejavu-core
# The VOB scanner's tests on real files: spumux and dvdauthor make them, ffmpeg/ffprobe check them.
PACKAGES += dvdauthor ffmpeg

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run test bench fuzz clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES) $(EXTRA_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display: the window needs one. Use $(BUILD)/velmoran-cli --help for the command-line tool."; \
	  exit 1; \
	fi
	./$(BUILD)/app/velmoran

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600

bench: deps
	cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORAN_BUILD_BENCH=ON -DVELMORAN_BUILD_TESTS=OFF
	cmake --build $(BUILD)-bench -j $(JOBS)
	@for b in $(BUILD)-bench/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-fuzz $(BUILD)-asan
