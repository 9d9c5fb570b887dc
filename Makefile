# Brevolan 4 — the two commands of the README's Quick start, and helpers.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test fuzz-smoke sanitize demo screenshot clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory fuzz-smoke

fuzz-smoke:
	@JOBS=$(JOBS) bash scripts/fuzz-smoke.sh

# The test suite under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan).
sanitize: deps
	@JOBS=$(JOBS) bash scripts/sanitize.sh

demo: build
	@bash scripts/demo.sh $(BUILD)

screenshot: build
	@bash scripts/screenshot.sh $(BUILD)

clean:
	rm -rf $(BUILD)
