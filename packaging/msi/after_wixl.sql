# What wixl 0.101 cannot write, applied by build_package.sh to its package, one query a line.
# It writes Execute="rollback" actions of VLPDMenu.wxs as immediate ones (type 114: an executable
# named by a property, 50, its result ignored, 64); each gets its place in the script (1024) and its
# phase, rollback (256).
UPDATE `CustomAction` SET `Type` = 1394 WHERE `Action` = 'RollbackRegisterSparsePackage' AND `Type` = 114
UPDATE `CustomAction` SET `Type` = 1394 WHERE `Action` = 'RollbackRemoveSparsePackage' AND `Type` = 114
# It writes no script action: Active Setup's version, the installation's time in UTC (VLPDMenu.wxs),
# from inline JScript (37) that sets the property the placeholder (51) names; a machine that runs no
# script still installs (64), and each user gets the package once.
UPDATE `CustomAction` SET `Type` = 101, `Source` = '', `Target` = 'var d = new Date(); Session.Property("VLPD_ACTIVE_SETUP_VERSION") = [d.getUTCFullYear(), (d.getUTCMonth() + 1) * 100 + d.getUTCDate(), d.getUTCHours() * 100 + d.getUTCMinutes(), d.getUTCSeconds()].join(",")' WHERE `Action` = 'StampActiveSetupVersion' AND `Type` = 51
# It drops components' conditions: the 64-bit DLL is the ARM64 one on an ARM64 machine (VLPDMenu.wxs
# says how the package tells), the x86-64 one elsewhere.
UPDATE `Component` SET `Condition` = 'NOT (VLPD_NATIVE_ARCHITECTURE ~= "ARM64")' WHERE `Component` = 'Server64'
UPDATE `Component` SET `Condition` = 'VLPD_NATIVE_ARCHITECTURE ~= "ARM64"' WHERE `Component` = 'ServerArm64'
