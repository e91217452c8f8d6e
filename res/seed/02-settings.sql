-- Settings and configuration of a fresh station: no lift installed yet.

-- colour scheme 0, four lift groups, COM1, 9600 baud (index 0), Simplified Chinese
INSERT INTO KALOR_SoftInf (SoftColor, GroupNum, ComPort, BaudRate, LanguageKind) VALUES (0, 4, 1, 0, 1);

-- the 64 lift slots, all free until the controllers are read from the configuration page
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (1, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (2, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (3, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (4, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (5, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (6, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (7, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (8, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (9, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (10, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (11, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (12, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (13, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (14, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (15, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (16, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (17, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (18, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (19, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (20, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (21, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (22, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (23, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (24, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (25, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (26, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (27, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (28, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (29, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (30, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (31, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (32, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (33, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (34, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (35, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (36, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (37, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (38, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (39, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (40, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (41, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (42, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (43, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (44, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (45, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (46, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (47, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (48, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (49, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (50, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (51, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (52, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (53, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (54, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (55, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (56, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (57, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (58, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (59, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (60, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (61, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (62, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (63, 0, 0, 0, 0, 0, 0, '');
INSERT INTO KALOR_LiftInf (RealAddr, Kind, LiftHight, bLiftHight, GroupNum, MaxFloor, MinFloor, strName_1) VALUES (64, 0, 0, 0, 0, 0, 0, '');

-- one row per group of the settings, numbered from 0 like the group list and the lift's group
-- entry. A lift that was never assigned belongs to group 0.
INSERT INTO KALOR_GroupInf (GroupNum, GroupCount, strGroupName) VALUES (0, 0, 'A座');
INSERT INTO KALOR_GroupInf (GroupNum, GroupCount, strGroupName) VALUES (1, 0, 'B座');
INSERT INTO KALOR_GroupInf (GroupNum, GroupCount, strGroupName) VALUES (2, 0, 'C座');
INSERT INTO KALOR_GroupInf (GroupNum, GroupCount, strGroupName) VALUES (3, 0, 'D座');

-- first operator: change the password after the first log-in. Operators added later get
-- rights value 1, the first operator 0.
INSERT INTO KALOR_UserInf (UserName, UserPwd, UserLimit) VALUES ('admin', '123456', 0);
