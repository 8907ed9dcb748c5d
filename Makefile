# Zelvan: the commands a developer and CI use.
BUILD   ?= build
JOBS    ?= $(shell nproc)
WORKDIR ?= $(HOME)/Zelvan

PACKAGES = build-essential cmake ninja-build ccache qt6-base-dev libqt6sql6-sqlite \
           libxlsxwriter-dev libsqlite3-dev pkg-config libjpeg62-turbo fonts-liberation fonts-dejavu-core xvfb

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

run: build
	mkdir -p "$(WORKDIR)"
	cd "$(WORKDIR)" && "$(CURDIR)/$(BUILD)/app/zelvan"

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

clean:
	rm -rf $(BUILD)
