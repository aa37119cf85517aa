# Two commands for a newcomer: `make run` opens the window, `make test` runs every test.
# Both install what is missing first (Debian 12) and build through the CMake presets.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
DEMO_DIR := build/demo

.PHONY: run test deps build test-default test-asan test-fuzz format clean

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "No display: the window needs a screen. Run it on a virtual one with:"; \
		echo "    xvfb-run -a make run"; \
		exit 2; \
	fi
	@[ -d $(DEMO_DIR) ] || cp -r demo $(DEMO_DIR)
	@echo "Working directory: $(DEMO_DIR) (a copy of demo/; delete it to start afresh)"
	cd $(DEMO_DIR) && ../default/ui/tessaro-master

test: test-default test-asan test-fuzz

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

test-default: build
	ctest --preset default -j $(JOBS)

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

test-fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	ctest --preset fuzz

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
