# Kestrova build. `make` builds both images; `make test` runs every test
# layer (see tools/run_tests.sh). Everything lands under build/.

BUILD := build
# The one version, defined in the version resource; kestrova-rec --version
# and the release's name take it from there.
VERSION := $(shell sed -n 's/^\#define KESTROVA_VERSION "\(.*\)"$$/\1/p' res/kestrova.rc)
GEN := $(BUILD)/gen

# Sources of the product, by subsystem. entry.cpp and runtime.cpp stand in
# for the C runtime and are linked into the product only.
PRODUCT_DIRS := core record play files ui app
PRODUCT_SRCS := $(sort $(wildcard $(addsuffix /*.cpp,$(PRODUCT_DIRS))))
RUNTIME_SRCS := app/entry.cpp app/runtime.cpp
SHELL_SRCS := $(filter-out $(RUNTIME_SRCS),$(PRODUCT_SRCS))

# The decisions kept free of Win32, tested natively on Linux.
PLAIN_SRCS := core/text.cpp core/text_number.cpp core/file_name.cpp core/title_line.cpp core/admission.cpp core/certificate_table.cpp \
              core/window_note.cpp \
              app/command_tail.cpp app/settings_path.cpp record/capture_rules.cpp play/playback_rules.cpp
PLAIN_SRCS += ui/options_menu.cpp ui/dialog_texts.cpp
PLAIN_SRCS += files/recording_rules.cpp files/file_name_rules.cpp
WINDOWS_SRCS := $(filter-out $(PLAIN_SRCS) app/runtime.cpp,$(PRODUCT_SRCS))

CHARSET := -finput-charset=UTF-8 -fexec-charset=GBK
# -Oz: the smallest code, at some cost in speed that nothing here needs (a
# step that plays a record or polls the keys takes microseconds).
PRODUCT_CXXFLAGS := -std=c++17 -Oz -Wall -Wextra -Werror $(CHARSET) -fno-exceptions -fno-rtti \
  -fno-asynchronous-unwind-tables -fno-unwind-tables -fno-threadsafe-statics -fno-stack-protector \
  -mno-stack-arg-probe -fno-tree-loop-distribute-patterns \
  -fno-ident -flto -ffat-lto-objects -I. -I$(GEN)
# Optimised as one whole at the link (the objects also hold plain code for
# the tests and benchmarks that link them): about 2 KB less of each image.
PRODUCT_LDFLAGS := -nostdlib -mwindows -s -flto -Oz -fno-tree-loop-distribute-patterns -Wl,--gc-sections \
  -Wl,--no-insert-timestamp -Wl,--disable-dynamicbase -Wl,--disable-reloc-section
PRODUCT_LIBS := -lkernel32 -luser32 -lgdi32 -lcomdlg32 -lshell32 -lwinmm
STUB_SIZE := 32768

ASSET_SOURCES := res/toolbar.txt res/icon.txt res/hand_cursor.txt tools/make_assets.py
ASSETS := $(GEN)/toolbar.bmp $(GEN)/kestrova.ico $(GEN)/cursor_planes.h

.PHONY: all images test native-tests wine-tests e2e-tests fuzz bench dist clean
all: images
images: $(BUILD)/win32/kestrova.exe $(BUILD)/win64/kestrova.exe

$(ASSETS) &: $(ASSET_SOURCES)
	python3 tools/make_assets.py $(GEN)

# --- the two images -------------------------------------------------------
# $(1): build folder name, $(2): compiler prefix, $(3): windres target
define image_rules
$(1)_OBJS := $$(patsubst %.cpp,$(BUILD)/$(1)/obj/%.o,$(PRODUCT_SRCS))

$(BUILD)/$(1)/obj/%.o: %.cpp $(GEN)/cursor_planes.h
	@mkdir -p $$(@D)
	@echo "  CXX     $$@"
	@$(2)-g++ $(PRODUCT_CXXFLAGS) $$(WINDOWS_FIRST) -MMD -MP -c $$< -o $$@

# <windows.h>, parsed once a build (most of what compiling a Win32 file
# costs) and read by every file that uses it; the plain files go without.
$(BUILD)/$(1)/pch/windows_first.h.gch:
	@mkdir -p $$(@D)
	@echo '#include <windows.h>' >$$(@D)/windows_first.h
	@echo "  PCH     $$@"
	@$(2)-g++ $(PRODUCT_CXXFLAGS) -x c++-header $$(@D)/windows_first.h -o $$@
$$(patsubst %.cpp,$(BUILD)/$(1)/obj/%.o,$(WINDOWS_SRCS)): WINDOWS_FIRST = -include $(BUILD)/$(1)/pch/windows_first.h
$$(patsubst %.cpp,$(BUILD)/$(1)/obj/%.o,$(WINDOWS_SRCS)): $(BUILD)/$(1)/pch/windows_first.h.gch

$(BUILD)/$(1)/obj/res.o: res/kestrova.rc res/kestrova.manifest core/ids.h $(ASSETS)
	@mkdir -p $$(@D)
	@echo "  WINDRES $$@"
	@$(2)-windres -F $(3) -I . -I $(GEN) --include-dir res -i $$< -o $$@

$(BUILD)/$(1)/image.ld: tools/link_script.py
	@mkdir -p $$(@D)
	@python3 tools/link_script.py $(2)-ld $$@

$(BUILD)/$(1)/kestrova.unpadded.exe: $$($(1)_OBJS) $(BUILD)/$(1)/obj/res.o $(BUILD)/$(1)/image.ld
	@echo "  LINK    $$@"
	@$(2)-g++ $(PRODUCT_LDFLAGS) -Wl,-T,$(BUILD)/$(1)/image.ld $$($(1)_OBJS) $(BUILD)/$(1)/obj/res.o -o $$@ $(PRODUCT_LIBS)

$(BUILD)/$(1)/kestrova.exe: $(BUILD)/$(1)/kestrova.unpadded.exe tools/finish_image.py
	@python3 tools/finish_image.py $$< $$@ $(STUB_SIZE) $(2)-objdump

-include $$($(1)_OBJS:.o=.d)
endef

$(eval $(call image_rules,win32,i686-w64-mingw32,pe-i386))
$(eval $(call image_rules,win64,x86_64-w64-mingw32,pe-x86-64))

# The product's objects without the runtime stand-ins, linked into the Win32
# tests and the benchmarks.
WIN64_SHELL_OBJS := $(patsubst %.cpp,$(BUILD)/win64/obj/%.o,$(SHELL_SRCS))

# --- kestrova-rec/: the second product, the command-line tool for recordings
# and copies. Plain C++17 over the program's own record layout, validity rule, marker
# patch and signed files' records end (the sources below), built natively and as a
# 32-bit console program.
REC_TOOL_SRCS := $(wildcard kestrova-rec/*.cpp)
REC_RULE_SRCS := files/recording_rules.cpp core/text.cpp core/text_number.cpp core/certificate_table.cpp core/window_note.cpp \
  core/file_name.cpp
REC_DEPS := $(REC_TOOL_SRCS) $(REC_RULE_SRCS) $(wildcard kestrova-rec/*.h) core/input_event.h core/image_fields.h \
  files/recording_rules.h core/text.h core/text_number.h core/certificate_table.h core/window_note.h core/file_name.h \
  res/kestrova.rc
REC_VERSION = $(VERSION)
REC_CXXFLAGS := -std=c++17 -O2 -Wall -Wextra -Werror -I. -DKESTROVA_STUB_SIZE=$(STUB_SIZE) \
  -DKESTROVA_VERSION='"$(REC_VERSION)"'
REC_TOOLS := $(BUILD)/tool/kestrova-rec $(BUILD)/win32/kestrova-rec.exe

$(BUILD)/tool/kestrova-rec: $(REC_DEPS)
	@mkdir -p $(@D)
	@echo "  CXX     $@"
	@g++ $(REC_CXXFLAGS) $(REC_TOOL_SRCS) $(REC_RULE_SRCS) -o $@

$(BUILD)/win32/kestrova-rec.exe: $(REC_DEPS)
	@mkdir -p $(@D)
	@echo "  CXX     $@"
	@i686-w64-mingw32-g++ $(REC_CXXFLAGS) -static -s -mconsole -Wl,--no-insert-timestamp $(REC_TOOL_SRCS) $(REC_RULE_SRCS) -o $@

all images: $(REC_TOOLS)
test: $(BUILD)/tool/kestrova-rec

# --- the release: dist/kestrova-VERSION.zip (tools/make_dist.py) -----------
# The version is the one the version resource shows; every entry of the zip
# is dated with the last commit, so the same commit gives the same zip.
RELEASE_TIME := $(shell git log -1 --format=%ct 2>/dev/null || echo 0)

# Written anew each time (it takes a moment): the commit may have moved on.
dist: $(BUILD)/win32/kestrova.exe $(BUILD)/win32/kestrova-rec.exe
	@test -n "$(VERSION)" || { echo "no KESTROVA_VERSION in res/kestrova.rc" >&2; exit 1; }
	@python3 tools/make_dist.py $(VERSION) $(RELEASE_TIME) dist/kestrova-$(VERSION).zip $^ README.md

# --- tests ----------------------------------------------------------------
include tests/tests.mk

# --- benchmarks: figures, not pass/fail (tools/bench/bench.sh) -------------------
BENCH := $(BUILD)/bench
BENCH_SRCS := tools/bench/bench.cpp $(wildcard tools/bench/bench_*.cpp)

$(BENCH)/bench.exe: $(BENCH_SRCS) tools/bench/bench_measure.h tools/bench/bench_parts.h $(WIN64_SHELL_OBJS) $(BUILD)/win64/obj/res.o
	@mkdir -p $(@D)
	x86_64-w64-mingw32-g++ -std=c++17 -O2 -Wall -Wextra $(CHARSET) -I. -I$(GEN) -static \
	  -o $@ $(BENCH_SRCS) $(WIN64_SHELL_OBJS) $(BUILD)/win64/obj/res.o -luser32 -lgdi32 -lcomdlg32 -lshell32 -lwinmm -lpsapi

bench: $(BENCH)/bench.exe images $(E2E_HELPERS) $(BUILD)/tool/kestrova-rec
	tools/bench/bench.sh

clean:
	rm -rf $(BUILD)
