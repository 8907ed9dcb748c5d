# Zelvan: the commands a developer and CI use.
BUILD   ?= build
JOBS    ?= $(shell nproc)
WORKDIR ?= $(HOME)/Zelvan

PACKAGES = build-essential cmake ninja-build ccache qt6-base-dev libqt6sql6-sqlite \
           libxlsxwriter-dev libsqlite3-dev pkg-config libjpeg62-turbo fonts-liberation fonts-dejavu-core xvfb \
           cups printer-driver-cups-pdf libcups2-dev poppler-utils qt6-translations-l10n \
           libemf2svg-dev libwmf-dev qt6-svg-dev

.PHONY: deps configure build run test bench clean

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

# libFuzzer runs of the expression parser and the script compiler (clang,
# libclang-rt-14-dev); FUZZ_SECONDS per target. Not part of `make test`.
FUZZ_SECONDS ?= 120
fuzz:
	tests/fuzz/build.sh build-fuzz
	@mkdir -p build-fuzz/corpus-parser build-fuzz/corpus-script build-fuzz/crashes
	build-fuzz/fuzz_parser -max_total_time=$(FUZZ_SECONDS) -timeout=10 -artifact_prefix=build-fuzz/crashes/parser- build-fuzz/corpus-parser tests/fuzz/corpus/parser
	build-fuzz/fuzz_script -max_total_time=$(FUZZ_SECONDS) -timeout=10 -artifact_prefix=build-fuzz/crashes/script- build-fuzz/corpus-script tests/fuzz/corpus/script

bench: build
	@for b in $(BUILD)/bench/bench_*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; \
	done

clean:
	rm -rf $(BUILD)
