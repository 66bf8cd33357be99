# Installs the build into a scratch DESTDIR and checks that every file a
# desktop needs stands where the desktop, udev, libinput and the programs
# themselves look for it. Run by CTest (packaging_install).

file(REMOVE_RECURSE "${DESTDIR}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "DESTDIR=${DESTDIR}" ${CMAKE_COMMAND} --install "${BUILD_DIR}"
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot install into ${DESTDIR}: ${errors}")
endif()

set(missing "")
function(expect path)
    if(NOT EXISTS "${DESTDIR}${path}")
        set(missing "${missing}\n  ${path}" PARENT_SCOPE)
    endif()
endfunction()

foreach(program OrvaneTabletDriver OrvaneTabletSetting)
    expect("${BINDIR}/${program}")
    if(EXISTS "${DESTDIR}${BINDIR}/${program}" AND IS_DIRECTORY "${DESTDIR}${BINDIR}/${program}")
        set(missing "${missing}\n  ${BINDIR}/${program} (a folder, not a program)")
    endif()
endforeach()

# Where the programs look: ../share/orvane-tablet/resources beside their folder.
expect("${BINDIR}/../share/orvane-tablet/resources/strings/en/Localizable.json")
expect("${BINDIR}/../share/orvane-tablet/resources/strings/zh-Hans/Localizable.json")
# The settings application's pictures, looked up by name.
expect("${BINDIR}/../share/orvane-tablet/resources/images/T1S.svg")
expect("${BINDIR}/../share/orvane-tablet/resources/images/T5N.svg")
# The setup guides that both programs open inside the settings application's
# install path.
expect("${BINDIR}/../share/orvane-tablet/resources/MacOS_Setup_En.pdf")
expect("${BINDIR}/../share/orvane-tablet/resources/MacOS_Setup_CN.pdf")

# The desktop entries start the installed programs, which find each other in
# their own folder.
set(settingEntry "${DATADIR}/applications/com.orvane.OrvaneTabletSetting.desktop")
set(driverEntry "${AUTOSTART_DIR}/com.orvane.OrvaneTabletDriver.desktop")
expect("${settingEntry}")
expect("${driverEntry}")
foreach(pair "${settingEntry}|OrvaneTabletSetting" "${driverEntry}|OrvaneTabletDriver")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 entry)
    list(GET pair 1 program)
    if(EXISTS "${DESTDIR}${entry}")
        file(STRINGS "${DESTDIR}${entry}" exec REGEX "^Exec=")
        if(NOT exec STREQUAL "Exec=${BINDIR}/${program}")
            set(missing "${missing}\n  ${entry} starts '${exec}', not ${BINDIR}/${program}")
        endif()
    endif()
endforeach()

file(GLOB rules "${SOURCE_DIR}/*.rules")
file(GLOB quirks "${SOURCE_DIR}/*.quirks")
if(NOT rules)
    set(missing "${missing}\n  a udev rule in ${SOURCE_DIR}")
endif()
if(NOT quirks)
    set(missing "${missing}\n  a libinput quirk in ${SOURCE_DIR}")
endif()
# udev reads its rules from these folders only.
if(NOT UDEV_RULES_DIR MATCHES "^(/etc/udev|/run/udev|/usr/lib/udev|/lib/udev)/rules\\.d/?$")
    set(missing "${missing}\n  the udev rule in a folder udev reads (not ${UDEV_RULES_DIR})")
endif()
foreach(file ${rules})
    get_filename_component(name "${file}" NAME)
    expect("${UDEV_RULES_DIR}/${name}")
endforeach()
foreach(file ${quirks})
    get_filename_component(name "${file}" NAME)
    expect("${QUIRKS_DIR}/${name}")
endforeach()

if(missing)
    message(FATAL_ERROR "the install into ${DESTDIR} lacks:${missing}")
endif()
message(STATUS "install into ${DESTDIR}: complete")
