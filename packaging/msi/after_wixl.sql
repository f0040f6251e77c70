# What wixl 0.101 cannot write, applied by build_package.sh to its package, one query a line.
# It writes Execute="rollback" and Execute="commit" actions of VLPDMenu.wxs as immediate ones (type
# 114: an executable named by a property, 50, its result ignored, 64; 2162 with no impersonation,
# 2048); each gets its place in the script (1024) and its phase: rollback 256, commit 512.
UPDATE `CustomAction` SET `Type` = 1394 WHERE `Action` = 'RollbackRegisterSparsePackage' AND `Type` = 114
UPDATE `CustomAction` SET `Type` = 1650 WHERE `Action` = 'RemoveSparsePackage' AND `Type` = 114
UPDATE `CustomAction` SET `Type` = 3698 WHERE `Action` = 'RemoveSparsePackage' AND `Type` = 2162
# It drops components' conditions: the 64-bit DLL is the ARM64 one on an ARM64 machine (VLPDMenu.wxs
# says how the package tells), the x86-64 one elsewhere.
UPDATE `Component` SET `Condition` = 'NOT (VLPD_NATIVE_ARCHITECTURE ~= "ARM64")' WHERE `Component` = 'Server64'
UPDATE `Component` SET `Condition` = 'VLPD_NATIVE_ARCHITECTURE ~= "ARM64"' WHERE `Component` = 'ServerArm64'
