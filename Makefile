# Brevolan 4 — the two commands of the README's Quick start, and helpers.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test fuzz-smoke sanitize demo demo-check screenshot screenshots package bench-startup clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Tests that talk to the simulator in real time (a 200 ms handshake window)
# can miss it on an overloaded machine: a failure is retried once, and ctest
# still reports it.
test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --repeat until-pass:2
	@$(MAKE) --no-print-directory fuzz-smoke

fuzz-smoke:
	@JOBS=$(JOBS) bash scripts/fuzz-smoke.sh

# The test suite under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan).
sanitize: deps
	@JOBS=$(JOBS) bash scripts/sanitize.sh

# The demo needs only its own target: a newcomer's first build stays short.
demo: configure
	@cmake --build $(BUILD) -j $(JOBS) --target brevolan4-demo
	@bash scripts/demo.sh $(BUILD)

demo-check: configure
	@cmake --build $(BUILD) -j $(JOBS) --target brevolan4-demo
	@bash scripts/demo.sh $(BUILD) --check

# The README's pictures of the main window and About, through the demo.
screenshots: configure
	@cmake --build $(BUILD) -j $(JOBS) --target brevolan4-demo-screenshots
	@bash demo/screenshots.sh $(BUILD)

# A Debian package in $(BUILD): brevolan4_<version>_<arch>.deb.
package: build
	@cd $(BUILD) && cpack -G DEB

# Start-up time and memory of brevolan4 beside cutecom (installs cutecom).
bench-startup: build
	@bash bench/startup/startup-bench.sh $(BUILD)

screenshot: build
	@bash scripts/screenshot.sh $(BUILD)

clean:
	rm -rf $(BUILD)
