# The two commands of the README, and a few conveniences for developers.
# Each command installs what is missing before it builds.

BUILD_TEST := build/test
BUILD_RUN  := build/release
JOBS       ?= $(shell nproc)

.PHONY: test run deps bench format clean

deps:
	@scripts/install-deps.sh

# Builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
test: deps
	cmake -S . -B $(BUILD_TEST) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARN_SANITIZE=ON -DVARN_BUILD_TESTS=ON
	cmake --build $(BUILD_TEST) -j $(JOBS)
	scripts/run-tests.sh $(BUILD_TEST)

# Builds the release configuration and runs the main program.
run: deps
	cmake -S . -B $(BUILD_RUN) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_RUN) -j $(JOBS) --target varn-demo
	$(BUILD_RUN)/examples/varn-demo

bench: deps
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARN_BUILD_BENCH=ON
	cmake --build build/bench -j $(JOBS)

format:
	find src tests bench examples -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf build
