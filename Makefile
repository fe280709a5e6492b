# make        builds SETUP.EXE (i686, the shipped build, and x86_64)
# make test   installs what is missing, builds everything and runs every test
# make demo   runs the install wizard on a sample distribution
# make dist   the folder a vendor ships, checked by setupcheck: build/dist and build/dist.zip
#             (SIGN_PFX=cert.pfx SIGN_PASS=... make dist signs SETUP.EXE)
# make bench  sizes, install and uninstall timings against their baselines (docs/performance.md)
# make fuzz   builds the libFuzzer target with clang and runs its short bounded test

.PHONY: all build host test bootstrap demo dist bench fuzz clean

all: build

build:
	cmake --preset win32 >/dev/null && cmake --build --preset win32
	cmake --preset win64 >/dev/null && cmake --build --preset win64

host:
	cmake --preset host >/dev/null && cmake --build --preset host

bootstrap:
	scripts/bootstrap

# The demo walk and the short bench run through their own scripts, as a user runs them.
test: bootstrap
	$(MAKE) build host
	ctest --preset host
	scripts/rig sh -c 'ctest --preset win32 && ctest --preset win64 && \
		echo "Windows tests ran for: $$RIG_ARCHS$${RIG_SKIP_REASON:+ (i686 skipped: $$RIG_SKIP_REASON)}" \
		> build/wine/architectures'
	DEMO_WALK=1 scripts/demo
	BENCH_SMOKE=1 scripts/bench
	@cat build/wine/architectures

demo: bootstrap build
	scripts/demo

dist: build host
	scripts/make-dist --check build/host/tools/setupcheck/setupcheck --zip build/win32/SETUP.EXE build/dist

bench: build
	scripts/bench

fuzz:
	cmake --preset fuzz >/dev/null && cmake --build --preset fuzz && ctest --preset fuzz

clean:
	rm -rf build
