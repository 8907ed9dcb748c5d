# Zelvan: the commands a developer and CI use.
BUILD   ?= build
JOBS    ?= $(shell nproc)
WORKDIR ?= $(HOME)/Zelvan

PACKAGES = build-essential cmake ninja-build ccache qt6-base-dev libqt6sql6-sqlite \
           libxlsxwriter-dev libsqlite3-dev pkg-config libjpeg62-turbo fonts-liberation fonts-dejavu-core xvfb \
           cups printer-driver-cups-pdf libcups2-dev poppler-utils qt6-translations-l10n \
           libemf2svg-dev libwmf-dev qt6-svg-dev libxml2-utils unrtf python3-openpyxl pxlib-dev desktop-file-utils

.PHONY: deps configure build run test bench clean package

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	  else \
	    echo "Missing Debian packages:$$missing"; echo "Install them as root: apt-get install$$missing"; exit 1; \
	  fi; \
	fi

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Without a folder the program works in ~/Zelvan and sets it up on first
# start; another WORKDIR is named to it (it asks before starting a register there).
run: build
	"$(CURDIR)/$(BUILD)/app/zelvan" $(if $(filter $(HOME)/Zelvan,$(WORKDIR)),,"$(WORKDIR)")

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	$(MAKE) test-sanitize

# Tests labelled "sanitize" run again under AddressSanitizer and UBSan in their
# own build folder; only those test programs (and what they link) are built.
ASAN_BUILD ?= build-asan
.PHONY: test-sanitize fuzz
test-sanitize: configure
	@# Configured every time, so a test that just got the label is listed.
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DZELVAN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug > /dev/null
	@targets=$$(cd $(ASAN_BUILD) && ctest -N -L sanitize | sed -n 's/^ *Test *#[0-9]*: *//p'); \
	if [ -n "$$targets" ]; then cmake --build $(ASAN_BUILD) -j $(JOBS) --target $$targets; fi
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest -L sanitize --output-on-failure -j $(JOBS)

# libFuzzer targets, built by CMake with clang in their own folder (every
# library they link follows the normal build's lists). The parser and script
# targets run FUZZ_SECONDS each, the picture targets (metafile decoders,
# picture recognition) PICTURE_FUZZ_SECONDS each. Not part of `make test`.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 120
PICTURE_FUZZ_SECONDS ?= 600
FUZZ_TARGETS = fuzz_parser fuzz_script fuzz_metafile fuzz_picture fuzz_rtf fuzz_template fuzz_prepared
FUZZ_RUN = $(FUZZ_BUILD)/tests/fuzz
# clang and its libFuzzer runtime are needed here only.
fuzz: PACKAGES += clang libclang-rt-14-dev
fuzz: deps
	@[ -f $(FUZZ_BUILD)/build.ninja ] || cmake -S . -B $(FUZZ_BUILD) -G Ninja -DZELVAN_FUZZ=ON \
	  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	@mkdir -p $(FUZZ_BUILD)/crashes $(FUZZ_BUILD)/corpus-parser $(FUZZ_BUILD)/corpus-script \
	  $(FUZZ_BUILD)/corpus-metafile $(FUZZ_BUILD)/corpus-picture
	$(FUZZ_RUN)/fuzz_parser -max_total_time=$(FUZZ_SECONDS) -timeout=10 -artifact_prefix=$(FUZZ_BUILD)/crashes/parser- \
	  $(FUZZ_BUILD)/corpus-parser tests/fuzz/corpus/parser
	$(FUZZ_RUN)/fuzz_script -max_total_time=$(FUZZ_SECONDS) -timeout=10 -artifact_prefix=$(FUZZ_BUILD)/crashes/script- \
	  $(FUZZ_BUILD)/corpus-script tests/fuzz/corpus/script
	ASAN_OPTIONS=quarantine_size_mb=64 LSAN_OPTIONS=suppressions=tests/fuzz/lsan.supp $(FUZZ_RUN)/fuzz_metafile -max_total_time=$(PICTURE_FUZZ_SECONDS) -timeout=60 -rss_limit_mb=2048 \
	  -artifact_prefix=$(FUZZ_BUILD)/crashes/metafile- $(FUZZ_BUILD)/corpus-metafile tests/fuzz/corpus/metafile
	ASAN_OPTIONS=quarantine_size_mb=64 LSAN_OPTIONS=suppressions=tests/fuzz/lsan.supp $(FUZZ_RUN)/fuzz_picture -max_total_time=$(PICTURE_FUZZ_SECONDS) -timeout=60 -rss_limit_mb=2048 \
	  -artifact_prefix=$(FUZZ_BUILD)/crashes/picture- $(FUZZ_BUILD)/corpus-picture tests/fuzz/corpus/picture

# The .deb (CPack): install it with `apt install ./$(BUILD)/zelvan_*.deb`.
package: build
	cd $(BUILD) && cpack -G DEB --config CPackConfig.cmake
	@ls $(BUILD)/zelvan_*.deb

bench: build
	@for b in $(BUILD)/bench/bench_*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; \
	done

clean:
	rm -rf $(BUILD)
