# SPDX-License-Identifier: GPL-3.0-or-later
# Thin wrapper: installs what a fresh Debian machine lacks, then builds, runs or tests.
#   make run    build and open the window
#   make test   build and run every test headless
#   make bench  build and run the benchmarks
#   make fuzz   build the fuzz targets (clang, libFuzzer)
#   make package        the Debian source and binary packages, checked with lintian;
#                       package-test installs and runs them
#   make windows-test   velmoran-cli.exe and the unit and CLI tests for Windows, run under Wine

SHELL := /bin/bash
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
# Warnings in the product's code (core, files, app, cli) are errors in CI (CI=true, or .ci/run):
# in the test, sanitizer, fuzz and Windows builds. The package build, with Debian's flags, keeps
# them warnings.
WERROR ?= $(if $(CI),ON,OFF)
WERROR_FLAG := -DVELMORAN_WERROR=$(WERROR)

# Debian packages the build and the tests need.
PACKAGES := cmake ninja-build ccache g++ pkg-config qt6-base-dev libgl-dev nlohmann-json3-dev \
            libgtest-dev libgmock-dev libbenchmark-dev \
            xvfb xauth fonts-liberation2 fonts-dejavu-core zlib1g-dev
# Tests on real files: ffmpeg makes the streams (and ffprobe checks them), dvdauthor and spumux
# make title sets and subtitle streams, lsdvd reads the palettes back.
PACKAGES += dvdauthor lsdvd ffmpeg
# mkvmerge and mkvextract carry VobSub pairs into MKV files and out again.
PACKAGES += mkvtoolnix

# The fuzz build and the sanitizer runs need clang and its runtime libraries.
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 30

# The package's checks (debian/control names what its build needs); the Windows cross-build and Wine.
PACKAGE_PACKAGES := dpkg-dev fakeroot file lintian desktop-file-utils appstream man-db bash-completion
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix wine wine64 googletest libz-mingw-w64-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run test sanitize-test bench fuzz fuzz-smoke package package-test windows \
        windows-test clean

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
	cmake -S . -B $(BUILD) -G Ninja $(WERROR_FLAG) $(CMAKE_FLAGS)

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

# Unit and CLI tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize-test: deps
	cmake -S . -B $(BUILD)-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORAN_SANITIZE=ON -DVELMORAN_BUILD_APP=OFF \
	  $(WERROR_FLAG)
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) --timeout 900

fuzz:
	@$(MAKE) --no-print-directory deps EXTRA_PACKAGES="$(FUZZ_PACKAGES)"
	cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DVELMORAN_FUZZ=ON -DVELMORAN_BUILD_APP=OFF -DVELMORAN_BUILD_TESTS=OFF $(WERROR_FLAG)
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	./$(BUILD)-fuzz/fuzz/make_seeds $(BUILD)-fuzz/seeds

# Every fuzz target for FUZZ_SECONDS on its seeds (and what earlier runs found).
fuzz-smoke: fuzz
	@for t in $(BUILD)-fuzz/fuzz/fuzz_*; do \
	  name=$$(basename $$t); mkdir -p $(BUILD)-fuzz/corpus/$$name; \
	  echo "== $$name ($(FUZZ_SECONDS) s)"; \
	  $$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 -artifact_prefix=$(BUILD)-fuzz/ \
	    $(BUILD)-fuzz/corpus/$$name $(BUILD)-fuzz/seeds/$$name 2>&1 | grep -E "^(stat::number_of_executed_units|stat::peak_rss|#[0-9]+ +DONE|==[0-9]+==ERROR|SUMMARY)" ; \
	  test $${PIPESTATUS[0]} -eq 0 || exit 1; \
	done

bench: deps
	cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORAN_BUILD_BENCH=ON -DVELMORAN_BUILD_TESTS=OFF
	cmake --build $(BUILD)-bench -j $(JOBS)
	@for b in $(BUILD)-bench/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

# The source package of debian/ and its binary packages (velmoran and velmoran-dbgsym) in
# $(BUILD)-pkg/packages/: the tracked files are copied to $(BUILD)-pkg/velmoran-VERSION, which
# dpkg-buildpackage builds with Debian's flags. Checked: the desktop entry, the AppStream
# metainfo, and lintian (errors and warnings fail the build; pedantic and info tags are shown).
PKG_UPSTREAM = $(shell sed -n '1s/^velmoran (\([^-)]*\)-.*/\1/p' debian/changelog)
PKG_SOURCE = $(BUILD)-pkg/velmoran-$(PKG_UPSTREAM)

package:
	@$(MAKE) --no-print-directory deps EXTRA_PACKAGES="$(PACKAGE_PACKAGES)"
	dpkg-checkbuilddeps || { $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get build-dep -y -qq ./; }
	cmp data/copyright debian/copyright  # the same text, installed by make install and by the package
	rm -rf $(BUILD)-pkg
	mkdir -p $(PKG_SOURCE) $(BUILD)-pkg/packages
	git ls-files -z | tar --null --no-recursion --ignore-failed-read -T - -cf - | tar -xf - -C $(PKG_SOURCE)
	tar -C $(BUILD)-pkg --exclude=velmoran-$(PKG_UPSTREAM)/debian --sort=name --owner=0 --group=0 \
	  --numeric-owner --mtime=@$$(git log -1 --format=%ct) \
	  -cJf $(BUILD)-pkg/velmoran_$(PKG_UPSTREAM).orig.tar.xz velmoran-$(PKG_UPSTREAM)
	cd $(BUILD)-pkg && dpkg-source -b velmoran-$(PKG_UPSTREAM)
	cd $(PKG_SOURCE) && dpkg-buildpackage -us -uc -b -j$(JOBS)
	mv $(BUILD)-pkg/*.deb $(BUILD)-pkg/*.changes $(BUILD)-pkg/*.buildinfo \
	  $(BUILD)-pkg/*.dsc $(BUILD)-pkg/*.tar.* $(BUILD)-pkg/packages/
	desktop-file-validate data/velmoran.desktop
	appstreamcli validate --no-net $(PKG_SOURCE)/debian/velmoran/usr/share/metainfo/org.velmoran.Velmoran.metainfo.xml
	lintian --pedantic --fail-on error,warning \
	  $(BUILD)-pkg/packages/*.dsc $(BUILD)-pkg/packages/*.changes

# What a user meets: the package unpacked into a scratch root, its CLI, manual pages and
# completion, and the window started by a user who may not write the program's folder.
package-test: package
	tests/package/check-package.sh $(BUILD)-pkg/packages/velmoran_*.deb

# velmoran-cli.exe (static) and the unit and CLI tests, cross-built with mingw-w64.
windows:
	@$(MAKE) --no-print-directory deps EXTRA_PACKAGES="$(WINDOWS_PACKAGES)"
	cmake -S . -B $(BUILD)-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVELMORAN_BUILD_APP=OFF $(WERROR_FLAG)
	cmake --build $(BUILD)-windows -j $(JOBS)

# The Windows tests under Wine, headless, with a Wine prefix of their own.
windows-test: windows
	cd $(BUILD)-windows && WINEPREFIX=$(CURDIR)/$(BUILD)-windows/wineprefix WINEARCH=win64 WINEDEBUG=-all \
	  WINEDLLOVERRIDES="mscoree,mshtml=" ctest --output-on-failure -j 1 --timeout 900

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-fuzz $(BUILD)-asan $(BUILD)-pkg $(BUILD)-windows
