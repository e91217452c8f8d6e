-- User-interface texts, one row per text index (nSign), read in nSign order:
-- Lan1 Simplified Chinese, Lan2 English, Lan3 Traditional Chinese.
-- The indexes must stay contiguous from 0: the program reads the rows by position.

-- main window: page bar buttons and login row
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (0, '系统配置', 'Configuration', '系統配置');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (1, '全部电梯', 'All Lifts', '全部電梯');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (2, '群组监视', 'Group View', '群組監視');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (3, '单梯监视', 'Single Lift', '單梯監視');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (4, '统计分析', 'Analysis', '統計分析');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (5, '退出', 'Exit', '退出');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (6, '登录', 'Log In', '登錄');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (7, '用户名', 'User', '用戶名');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (8, '密码', 'Password', '密碼');

-- serial-settings dialog: labels
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (9, '串口', 'Port', '串口');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (10, '波特率', 'Baud Rate', '波特率');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (11, '通讯设置', 'Serial Settings', '通訊設置');

-- login and connection messages
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (12, '用户名不存在！', 'Unknown user name.', '用戶名不存在！');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (13, '密码错误！', 'Wrong password.', '密碼錯誤！');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (14, '登录失败次数过多，请重新启动程序后再试。', 'Too many failed log-ins. Restart the program to try again.', '登錄失敗次數過多，請重新啟動程序後再試。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (15, '数据库操作失败', 'Database operation failed', '數據庫操作失敗');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (16, '错误信息', 'Error', '錯誤信息');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (17, '读取系统设置失败！', 'The system settings could not be read.', '讀取系統設置失敗！');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (18, '在线', 'Online', '在線');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (19, '离线', 'Offline', '離線');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (20, '请先登录！', 'Please log in first.', '請先登錄！');

-- configuration page: lift list and group list
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (21, '电梯编号', 'Lift No.', '電梯編號');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (22, '电梯名称', 'Lift Name', '電梯名稱');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (23, '所属群组', 'Group', '所屬群組');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (24, '群组名称', 'Group Name', '群組名稱');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (25, '群组编号', 'Group No.', '群組編號');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (26, '电梯数量', 'Lifts', '電梯數量');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (27, '群组设置', 'Group Settings', '群組設置');

-- controller operating modes (the mode reported by the lift, 0 to 15)
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (28, '初始化', 'Initialising', '初始化');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (29, '检修运行', 'Inspection', '檢修運行');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (30, '紧急电动', 'Emergency Drive', '緊急電動');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (31, '消防返回', 'Fire Return', '消防返回');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (32, '消防员运行', 'Firefighter', '消防員運行');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (33, '故障', 'Fault', '故障');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (34, '司机运行', 'Attendant', '司機運行');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (35, '正常运行', 'Normal', '正常運行');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (36, '锁梯', 'Parked', '鎖梯');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (37, '独立运行', 'Independent', '獨立運行');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (38, 'VIP运行', 'VIP Service', 'VIP運行');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (39, '满载直驶', 'Full-Load Bypass', '滿載直駛');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (40, '地震管制', 'Earthquake', '地震管制');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (41, '应急救援', 'Emergency Rescue', '應急救援');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (42, '井道自学习', 'Shaft Learning', '井道自學習');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (43, '未知模式', 'Unknown Mode', '未知模式');

-- single-lift view: full-load and overload flags
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (44, '满载', 'Full Load', '滿載');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (45, '超载', 'Overload', '超載');

-- configuration page: state column of the lift list, also the database-not-connected message
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (46, '连接状态', 'Connection', '連接狀態');

-- configuration page: deleting a lift
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (47, '确定要删除所选电梯及其全部记录吗？', 'Delete the selected lift and all its records?', '確定要刪除所選電梯及其全部記錄嗎？');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (48, '电梯已删除。', 'The lift has been deleted.', '電梯已刪除。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (49, '删除电梯失败。', 'The lift could not be deleted.', '刪除電梯失敗。');

-- single-lift view: status cell captions
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (50, '门状态', 'Door', '門狀態');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (51, '运行模式', 'Mode', '運行模式');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (52, '故障代码', 'Fault', '故障代碼');

-- single-lift view: special mode buttons
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (53, '司机', 'Attendant', '司機');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (54, '独立运行', 'Independent', '獨立運行');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (55, 'VIP服务', 'VIP Service', 'VIP服務');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (56, '返基站', 'Return to Lobby', '返基站');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (57, '节能运行', 'Energy Saving', '節能運行');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (58, '消防运行', 'Fire Service', '消防運行');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (59, '锁梯', 'Park Lift', '鎖梯');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (60, '远程复位', 'Remote Reset', '遠程復位');

-- single-lift view: position and calls
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (61, '当前楼层', 'Floor', '當前樓層');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (62, '运行方向', 'Direction', '運行方向');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (63, '召唤', 'Calls', '召喚');

-- serial port failure
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (64, '串口打开失败，请检查串口设置后重新连接。', 'The serial port could not be opened. Check the port settings and connect again.', '串口打開失敗，請檢查串口設置後重新連接。');

-- door states
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (65, '门静止', 'Door Idle', '門靜止');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (66, '开门中', 'Opening', '開門中');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (67, '门已开', 'Open', '門已開');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (68, '关门中', 'Closing', '關門中');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (69, '门已关', 'Closed', '門已關');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (70, '门锁闭合', 'Locked', '門鎖閉合');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (71, '禁止开门', 'Door Disabled', '禁止開門');

-- status values and communication
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (72, '无', 'None', '無');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (73, '通讯', 'Comm.', '通訊');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (74, '通讯中断', 'Comm. lost', '通訊中斷');

-- run states
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (75, '停止', 'Stopped', '停止');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (76, '上行', 'Up', '上行');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (77, '下行', 'Down', '下行');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (78, '平层', 'Levelled', '平層');

-- analysis heading and common buttons
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (79, '故障分析', 'Fault Analysis', '故障分析');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (80, '确定', 'OK', '確定');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (81, '应用', 'Apply', '應用');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (82, '关闭', 'Close', '關閉');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (83, '是', 'Yes', '是');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (84, '否', 'No', '否');

-- configuration page: labels, buttons, floor list and messages
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (85, '楼层显示', 'Floor Display', '樓層顯示');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (86, '读取电梯数据', 'Read Lift Data', '讀取電梯數據');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (87, '删除电梯', 'Delete Lift', '刪除電梯');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (88, '测量井道', 'Measure Shaft', '測量井道');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (89, '楼层', 'Floor', '樓層');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (90, '显示', 'Display', '顯示');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (91, '语言表导出完成。', 'The language table has been exported.', '語言表導出完成。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (92, '层', 'F', '樓');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (93, '井道测量失败。', 'Shaft measurement failed.', '井道測量失敗。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (94, '电梯将运行至顶层测量井道高度，请确认轿厢内无乘客。是否继续？', 'The lift will travel to the top floor to measure the shaft. Make sure the car is empty. Continue?', '電梯將運行至頂層測量井道高度，請確認轎廂內無乘客。是否繼續？');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (95, '井道测量完成。', 'Shaft measurement complete.', '井道測量完成。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (96, '测量超时，电梯未到达顶层。', 'Measurement timed out: the lift did not reach the top floor.', '測量超時，電梯未到達頂層。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (97, '没有在线的电梯。', 'No installed lift is online.', '沒有在線的電梯。');

-- single-lift view: refused commands
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (98, '电梯离线，命令未发送。', 'The lift is offline. The command was not sent.', '電梯離線，命令未發送。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (99, '未与电梯建立通讯，不能操作。', 'No communication with the lift. Commands are not available.', '未與電梯建立通訊，不能操作。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (100, '通讯超时', 'Communication timed out', '通訊超時');

-- call statistics and group view
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (101, '楼层', 'Floor', '樓層');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (102, '召唤次数', 'Calls', '召喚次數');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (103, '通讯正常', 'Online', '通訊正常');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (104, '轿内召唤', 'Car Call', '轎內召喚');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (105, '上召唤', 'Up Call', '上召喚');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (106, '下召唤', 'Down Call', '下召喚');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (107, '召唤统计', 'Call Statistics', '召喚統計');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (108, '按楼层统计', 'By Floor', '按樓層統計');

-- analysis page: date range query and display buttons
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (109, '查询', 'Query', '查詢');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (110, '开始日期', 'From', '開始日期');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (111, '结束日期', 'To', '結束日期');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (112, '列表显示', 'List', '列表顯示');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (113, '图形显示', 'Chart', '圖形顯示');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (114, '导出记录', 'Export', '導出記錄');

-- main window: connect button
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (115, '连接', 'Connect', '連接');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (116, '断开', 'Disconnect', '斷開');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (117, '正在连接……', 'Connecting...', '正在連接……');

-- configuration page: shaft measurement and lift name
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (118, '全部测量', 'Measure All', '全部測量');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (119, '所有电梯将依次运行至顶层测量井道高度，请确认轿厢内无乘客。是否继续？', 'All lifts will travel to the top floor to measure their shafts. Make sure the cars are empty. Continue?', '所有電梯將依次運行至頂層測量井道高度，請確認轎廂內無乘客。是否繼續？');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (120, '名称过长：最多7个汉字或14个字母。', 'The name is too long: at most 14 letters or 7 Chinese characters.', '名稱過長：最多7個漢字或14個字母。');

-- analysis page: view buttons, list headers and fault help
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (121, '语言设置', 'Language', '語言設置');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (122, '单梯故障统计', 'Statistics by Lift', '單梯故障統計');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (123, '故障类型统计', 'Statistics by Fault', '故障類型統計');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (124, '故障帮助', 'Fault Help', '故障幫助');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (125, '饼图显示', 'Pie Chart', '餅圖顯示');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (126, '电梯名称', 'Lift', '電梯名稱');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (127, '序号', 'No.', '序號');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (128, '故障时间', 'Time', '故障時間');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (129, '故障信息', 'Fault', '故障信息');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (130, '电梯状态', 'Lift State', '電梯狀態');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (131, '故障代码', 'Code', '故障代碼');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (132, '故障次数', 'Count', '故障次數');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (133, '按电梯查询', 'Faults by Lift', '按電梯查詢');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (134, '按故障查询', 'Lifts by Fault', '按故障查詢');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (135, '语言设置', 'Language Settings', '語言設置');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (136, '统计图表', 'Chart', '統計圖表');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (137, '比例', 'Scale', '比例');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (138, '故障等级', 'Level', '故障等級');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (139, '故障原因', 'Cause', '故障原因');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (140, '处理方法', 'Remedy', '處理方法');

-- analysis page: language workbook and export dialogs
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (141, '浏览……', 'Browse...', '瀏覽……');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (142, '导入', 'Import', '導入');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (143, '选择语言表文件', 'Open Language Table', '選擇語言表文件');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (144, '导出', 'Export', '導出');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (145, '文件路径', 'File', '文件路徑');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (146, '正在导入，请稍候……', 'Importing, please wait...', '正在導入，請稍候……');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (147, '所选文件不是语言表（第一个工作表应为SoftLanguageTab）。', 'This workbook is not a language table (its first sheet must be SoftLanguageTab).', '所選文件不是語言表（第一個工作表應為SoftLanguageTab）。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (148, '语言表导入完成，重新启动后生效。', 'The language table has been imported. It takes effect at the next start.', '語言表導入完成，重新啟動後生效。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (149, '导出语言表', 'Export Language Table', '導出語言表');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (150, '导出故障记录', 'Export Fault Records', '導出故障記錄');

-- fault statistics workbook and lists
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (151, '占本梯故障比例', 'Share of Lift Faults', '佔本梯故障比例');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (152, '占该故障总数比例', 'Share of This Fault', '佔該故障總數比例');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (153, '合计', 'Total', '合計');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (154, '总计', 'Grand Total', '總計');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (155, '串口未打开，未与电梯通讯', 'Port closed: no link to the lifts', '串口未打開，未與電梯通訊');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (156, '没有已安装的电梯，请先读取电梯数据。', 'No lift is installed. Read the lift data first.', '沒有已安裝的電梯，請先讀取電梯數據。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (157, '占本梯比例', 'Share of Lift', '佔本梯比例');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (158, '占该故障比例', 'Share of Fault', '佔該故障比例');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (159, '没有故障记录。', 'No fault records.', '沒有故障記錄。');

-- configuration page: lift name messages
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (160, '请在列表中选择一台电梯。', 'Select a lift in the list.', '請在列表中選擇一臺電梯。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (161, '该名称已被其他电梯使用。', 'Another lift already has this name.', '該名稱已被其他電梯使用。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (162, '请输入电梯名称。', 'Enter a lift name.', '請輸入電梯名稱。');

-- analysis page: user management
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (163, '用户管理', 'User Management', '用戶管理');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (164, '新建用户', 'New User', '新建用戶');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (165, '修改密码', 'Change Password', '修改密碼');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (166, '删除用户', 'Delete User', '刪除用戶');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (167, '用户名', 'User Name', '用戶名');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (168, '序号', 'No.', '序號');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (169, '用户名', 'User name', '用戶名');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (170, '密码', 'Password', '密碼');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (171, '确认密码', 'Confirm', '確認密碼');

-- single-lift view: status value
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (172, '有', 'Yes', '有');

-- single-lift view: confirmations of the special modes
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (173, '确定要锁梯吗？锁梯后电梯不再响应召唤。', 'Park the lift? It will stop answering calls.', '確定要鎖梯嗎？鎖梯後電梯不再響應召喚。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (174, '确定要将电梯切换到消防运行吗？', 'Switch the lift to fire service?', '確定要將電梯切換到消防運行嗎？');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (175, '确定要解除锁梯吗？', 'Return the lift to service?', '確定要解除鎖梯嗎？');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (176, '确定要退出消防运行吗？', 'End fire service?', '確定要退出消防運行嗎？');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (177, '确定要对电梯进行远程复位吗？', 'Send a remote reset to the lift?', '確定要對電梯進行遠程復位嗎？');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (178, '操作已取消。', 'Cancelled.', '操作已取消。');

-- analysis page: user management messages
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (179, '该用户已存在。', 'This user already exists.', '該用戶已存在。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (180, '两次输入的密码不一致。', 'The passwords do not match.', '兩次輸入的密碼不一致。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (181, '请输入用户名。', 'Enter a user name.', '請輸入用戶名。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (182, '请输入密码。', 'Enter a password.', '請輸入密碼。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (183, '请输入新密码', 'Enter the new password', '請輸入新密碼');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (184, '不能删除当前登录的用户。', 'You cannot delete the user who is logged in.', '不能刪除當前登錄的用戶。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (185, '删除用户失败。', 'The user could not be deleted.', '刪除用戶失敗。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (186, '请先选择要删除的用户。', 'Select the users to delete first.', '請先選擇要刪除的用戶。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (187, '密码修改成功。', 'The password has been changed.', '密碼修改成功。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (188, '新密码', 'New Password', '新密碼');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (189, '原密码', 'Old Password', '原密碼');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (190, '用户权限', 'Rights', '用戶權限');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (191, '只能使用字母和数字。', 'Use letters and digits only.', '只能使用字母和數字。');

-- configuration page: name given to a new lift (after its number)
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (192, '号梯', '# Lift', '號梯');

-- lift data and reading
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (193, '楼层数', 'Floors', '樓層數');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (194, '井道高度', 'Shaft Height', '井道高度');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (195, '最低层', 'Bottom Floor', '最低層');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (196, '最高层', 'Top Floor', '最高層');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (197, '控制器型号', 'Controller', '控制器型號');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (198, '站号', 'Station', '站號');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (199, '正在读取……', 'Reading...', '正在讀取……');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (200, '读取完成。', 'Reading complete.', '讀取完成。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (201, '读取失败。', 'Reading failed.', '讀取失敗。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (202, '保存成功。', 'Saved.', '保存成功。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (203, '保存失败。', 'Saving failed.', '保存失敗。');

-- dates
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (204, '今天', 'Today', '今天');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (205, '本周', 'This Week', '本週');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (206, '本月', 'This Month', '本月');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (207, '全部', 'All', '全部');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (208, '日期', 'Date', '日期');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (209, '时间', 'Time', '時間');

-- analysis page: tree and administration heading
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (210, '故障代码', 'Fault Codes', '故障代碼');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (211, '故障总数', 'Total Faults', '故障總數');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (212, '系统管理', 'Administration', '系統管理');

-- analysis page: language settings and database maintenance
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (213, '导出语言表', 'Export Language Table', '導出語言表');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (214, '导入语言表', 'Import Language Table', '導入語言表');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (215, '数据库维护', 'Database Maintenance', '數據庫維護');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (216, '压缩数据库', 'Compact Database', '壓縮數據庫');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (217, '数据库大小', 'Database Size', '數據庫大小');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (218, '压缩完成，当前大小：', 'Compacted. Size now:', '壓縮完成，當前大小：');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (219, '数据库压缩失败。', 'The database could not be compacted.', '數據庫壓縮失敗。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (220, '正在压缩数据库，请稍候……', 'Compacting the database, please wait...', '正在壓縮數據庫，請稍候……');

-- pictures and alarm pop-up
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (221, '图片显示失败。', 'The picture could not be shown.', '圖片顯示失敗。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (222, '提示', 'Notice', '提示');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (223, '警告', 'Warning', '警告');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (224, '错误', 'Error', '錯誤');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (225, '确认', 'Confirm', '確認');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (226, '故障报警', 'Fault Alarm', '故障報警');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (227, '报警确认', 'Acknowledge', '報警確認');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (228, '静音', 'Mute', '靜音');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (229, '报警时间', 'Alarm Time', '報警時間');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (230, '报警记录', 'Alarm Log', '報警記錄');

-- analysis page: language choice
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (231, '请选择有效的Excel语言表文件（*.xls或*.xlsx）。', 'Choose a valid Excel language table (*.xls or *.xlsx).', '請選擇有效的Excel語言表文件（*.xls或*.xlsx）。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (232, '简体中文', 'English', '繁體中文');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (233, '界面语言', 'Display Language', '界面語言');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (234, '语言设置将在重新启动后生效。', 'The language takes effect at the next start.', '語言設置將在重新啟動後生效。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (235, '导出完成。', 'Export complete.', '導出完成。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (236, '导出失败。', 'Export failed.', '導出失敗。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (237, '无法创建工作簿。', 'The workbook could not be created.', '無法創建工作簿。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (238, '正在导出，请稍候……', 'Exporting, please wait...', '正在導出，請稍候……');

-- configuration page: floor display and lift list
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (239, '十位显示', 'Tens', '十位顯示');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (240, '个位显示', 'Units', '個位顯示');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (241, '总层数', 'Floors', '總層數');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (242, '电梯类型', 'Type', '電梯類型');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (243, '已安装', 'Installed', '已安裝');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (244, '未安装', 'Not Installed', '未安裝');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (245, '已测量', 'Measured', '已測量');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (246, '未测量', 'Not Measured', '未測量');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (247, '请先选择楼层。', 'Select a floor first.', '請先選擇樓層。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (248, '楼层显示已保存。', 'Floor display saved.', '樓層顯示已保存。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (249, '电梯设置已保存。', 'Lift settings saved.', '電梯設置已保存。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (250, '群组名称已保存。', 'Group name saved.', '群組名稱已保存。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (251, '该群组的电梯数量已达上限。', 'This group is full.', '該群組的電梯數量已達上限。');

-- all-lifts view: tile status line
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (252, '状态', 'Status', '狀態');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (253, '检修', 'Inspection', '檢修');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (254, '消防', 'Fire', '消防');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (255, '困人', 'Trapped', '困人');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (256, '故障', 'Fault', '故障');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (257, '未知', 'Unknown', '未知');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (258, '未配置', 'Not Configured', '未配置');

-- single-lift view: fire service and parking
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (259, '消防运行中，不能锁梯。', 'The lift is in fire service and cannot be parked.', '消防運行中，不能鎖梯。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (260, '消防运行中，不能执行该操作。', 'Not available during fire service.', '消防運行中，不能執行該操作。');

-- single-lift view: whole-lift lock, floor lock and lock period
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (261, '整梯锁定', 'Lock Lift', '整梯鎖定');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (262, '楼层锁定', 'Floor Lock', '樓層鎖定');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (263, '控制器未确认锁定命令，请稍后重试。', 'The controller did not confirm the lock command. Try again.', '控制器未確認鎖定命令，請稍後重試。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (264, '电梯已锁定。', 'The lift is locked.', '電梯已鎖定。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (265, '电梯已解锁。', 'The lift is unlocked.', '電梯已解鎖。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (266, '楼层锁定已生效。', 'The floor lock is in force.', '樓層鎖定已生效。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (267, '楼层锁定已解除。', 'The floor lock has been released.', '樓層鎖定已解除。');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (268, '取消', 'Cancel', '取消');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (269, '锁定内召', 'Lock Car Calls', '鎖定內召');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (270, '锁定外召', 'Lock Hall Calls', '鎖定外召');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (271, '定时锁梯', 'Lock Period', '定時鎖梯');

-- fault workbook and display-count dialog
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (272, '统计时段', 'Period', '統計時段');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (273, '显示设置', 'Display Settings', '顯示設置');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (274, '每列显示电梯台数（1-32）：', 'Lifts per column (1-32):', '每列顯示電梯臺數（1-32）：');
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (275, '每列台数', 'Lifts per Column', '每列臺數');

-- floor-lock editor
INSERT INTO KALOR_SoftLan (nSign, Lan1, Lan2, Lan3) VALUES (276, '全部锁定', 'Lock All Calls', '全部鎖定');
