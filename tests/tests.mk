# Test builds, included by the top Makefile. Everything includes from the
# repository root ("core/text.h").
TEST_INCLUDES := -I. -I$(GEN)

# --- layer 1: native decisions, with sanitizers ----------------------------
NATIVE := $(BUILD)/native
# Unoptimised: compiled in a third of the time, and still run in seconds.
NATIVE_CXXFLAGS := -std=c++17 -g -O0 -Wall -Wextra $(CHARSET) -fsanitize=address,undefined \
  -fno-sanitize-recover=all -fno-omit-frame-pointer $(TEST_INCLUDES) -DASSET_DIR='"$(GEN)"'
NATIVE_TEST_SRCS := $(sort $(wildcard tests/native/*_test.cpp))
NATIVE_OBJS := $(patsubst %.cpp,$(NATIVE)/obj/%.o,$(PLAIN_SRCS) $(NATIVE_TEST_SRCS))

$(NATIVE)/obj/%.o: %.cpp $(ASSETS)
	@mkdir -p $(@D)
	g++ $(NATIVE_CXXFLAGS) -MMD -MP -c $< -o $@

$(NATIVE)/unit_tests: $(NATIVE_OBJS)
	g++ $(NATIVE_CXXFLAGS) $^ -lgtest -lgtest_main -pthread -o $@

-include $(NATIVE_OBJS:.o=.d)

# libFuzzer targets: tests/fuzz/*_fuzz.cpp, each against the plain sources.
# clang has no GBK converter, so these see the texts in UTF-8; nothing they
# check depends on the encoding.
FUZZ_SRCS := $(sort $(wildcard tests/fuzz/*_fuzz.cpp))
FUZZERS := $(patsubst tests/fuzz/%.cpp,$(NATIVE)/%,$(FUZZ_SRCS))
$(NATIVE)/%_fuzz: tests/fuzz/%_fuzz.cpp $(PLAIN_SRCS)
	@mkdir -p $(@D)
	clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined $(TEST_INCLUDES) $^ -o $@

native-tests: $(NATIVE)/unit_tests $(FUZZERS)

# --- layer 2: the Win32 code under Wine (x86_64 build) ---------------------
WINE_TESTS := $(BUILD)/wine-tests
WINE_TEST_SRCS := $(sort $(wildcard tests/wine/*.cpp))
WINE_TEST_OBJS := $(patsubst %.cpp,$(WINE_TESTS)/obj/%.o,$(WINE_TEST_SRCS))

WINE_CXXFLAGS := -std=c++17 -O1 -Wall -Wextra $(CHARSET) $(TEST_INCLUDES)
$(WINE_TESTS)/obj/%.o: %.cpp $(ASSETS) $(WINE_TESTS)/pch/windows_first.h.gch
	@mkdir -p $(@D)
	x86_64-w64-mingw32-g++ $(WINE_CXXFLAGS) -include $(WINE_TESTS)/pch/windows_first.h -MMD -MP -c $< -o $@

# <windows.h> parsed once, as for the images.
$(WINE_TESTS)/pch/windows_first.h.gch:
	@mkdir -p $(@D)
	@echo '#include <windows.h>' >$(@D)/windows_first.h
	x86_64-w64-mingw32-g++ $(WINE_CXXFLAGS) -x c++-header $(@D)/windows_first.h -o $@

$(WINE_TESTS)/shell_tests.exe: $(WINE_TEST_OBJS) $(WIN64_SHELL_OBJS) $(BUILD)/win64/obj/res.o
	x86_64-w64-mingw32-g++ -static -o $@ $^ -luser32 -lgdi32 -lcomdlg32 -lshell32 -lwinmm

-include $(WINE_TEST_OBJS:.o=.d)

# The tool's x86_64 twin, which the Win32 tests run to edit the recordings they play.
$(WINE_TESTS)/kestrova-rec.exe: $(REC_DEPS)
	x86_64-w64-mingw32-g++ $(REC_CXXFLAGS) -static -mconsole $(REC_TOOL_SRCS) $(REC_RULE_SRCS) -o $@

# --- layer 3: end to end helpers (Win32 programs the tests drive with) -----
E2E_HELPERS := $(BUILD)/e2e/probe.exe $(BUILD)/e2e/target.exe
$(BUILD)/e2e/%.exe: tests/e2e/%.cpp
	@mkdir -p $(@D)
	x86_64-w64-mingw32-g++ -std=c++17 -O1 -Wall -static $< -o $@ -luser32 -lgdi32

wine-tests: $(WINE_TESTS)/shell_tests.exe $(WINE_TESTS)/kestrova-rec.exe $(E2E_HELPERS) \
  $(BUILD)/win32/kestrova.exe $(BUILD)/win64/kestrova.exe

# The end-to-end runs start once the images are there; tools/run_tests.sh
# builds the rest of the tests meanwhile (with this make's jobs).
test: $(BUILD)/win32/kestrova.exe $(BUILD)/win64/kestrova.exe $(E2E_HELPERS)
	tools/check_layers.sh
	+tools/run_tests.sh

# Before a release: ten million inputs a fuzzer, merged into the corpus kept
# in tests/fuzz/corpus (tools/run_fuzzers.sh).
fuzz: $(FUZZERS)
	tools/run_fuzzers.sh --long

# --- kestrova-rec: its native tests and its fuzzer (kestrova-rec/) --------------
REC_LIB_SRCS := $(filter-out kestrova-rec/main.cpp,$(REC_TOOL_SRCS))
REC_NATIVE_OBJS := $(patsubst %.cpp,$(NATIVE)/obj/%.o,$(REC_LIB_SRCS))
$(REC_NATIVE_OBJS) $(NATIVE)/obj/tests/native/rec_tool_test.o: NATIVE_CXXFLAGS += -I. -DKESTROVA_STUB_SIZE=$(STUB_SIZE)
$(NATIVE)/unit_tests: $(REC_NATIVE_OBJS) | $(BUILD)/tool/kestrova-rec $(BUILD)/win64/kestrova.exe  # signed in a test
-include $(REC_NATIVE_OBJS:.o=.d)

$(NATIVE)/rec_text_fuzz: tests/fuzz/rec_text_fuzz.cpp $(REC_LIB_SRCS) $(REC_RULE_SRCS)
	@mkdir -p $(@D)
	clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -I. -DKESTROVA_STUB_SIZE=$(STUB_SIZE) $^ -o $@
