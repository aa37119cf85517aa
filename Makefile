# Two commands for a newcomer: `make run` opens the window, `make test` runs every test.
# Both install what is missing first (Debian 12) and build through the CMake presets.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
DEMO_DIR := build/demo

.PHONY: run test deps build test-default test-asan test-fuzz test-package test-windows package \
	package-windows format clean test-mutation

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "No display: the window needs a screen. Run it on a virtual one with:"; \
		echo "    xvfb-run -a make run"; \
		exit 2; \
	fi
	@[ -d $(DEMO_DIR) ] || cp -r demo $(DEMO_DIR)
	@echo "Working directory: $(DEMO_DIR) (a copy of demo/; delete it to start afresh)"
	cd $(DEMO_DIR) && ../default/ui/tessaro-master

test: test-default test-asan test-fuzz test-package test-windows

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

# The Debian package, build/default/tessaro-master_<version>_<arch>.deb.
package: build
	cd build/default && cpack -G DEB

# Builds the package and checks it: lintian, the desktop files, the unpacked programs start.
test-package: build
	scripts/check-package.sh build/default

# tessaro-cli for Windows users, build/windows-cross/tessaro-cli-<version>-win64.zip: the stripped
# program with its version and manifest, the README and the licence notices.
package-windows: deps
	cmake --preset windows-cross
	cmake --build --preset windows-cross -j $(JOBS) --target package-windows

# The core, the files and the command line cross-built for Windows, their tests run under wine;
# the build packs the zip above, and a test unpacks it and runs its program.
test-windows: deps
	cmake --preset windows-cross
	cmake --build --preset windows-cross -j $(JOBS)
	ctest --preset windows-cross -j $(JOBS)

# Not part of `make test`: how many deliberate faults of core/ and files/ the fast tests catch
# (scripts/mutants.txt), ten to fifteen minutes on two cores. Run it before merging a change
# to core/ or files/; MUTATION_ARGS passes options, e.g. MUTATION_ARGS="--only checks-hex-case".
test-mutation: deps
	nice -n 15 python3 scripts/mutation-test.py $(MUTATION_ARGS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
