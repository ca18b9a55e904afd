-- The base schema of DB/SystemData.db3. OpenDatabase runs this at every
-- open, inside one transaction, before its start-up statements: it creates
-- what is missing and adds the fixed rows that are missing, and changes
-- nothing that exists. Columns stand in their final physical order (base
-- columns, then those the start-up statements append), because several
-- writers insert by position. CountmsgRecord is not here: it lives in
-- DB/CustomerData.db3.
--
-- No collation is declared on columns: the queries name "pinyin" themselves,
-- and a schema that named it could not be opened by tools without it.

-- One row per (contact, group); perNO is shared by the rows of one contact.
CREATE TABLE IF NOT EXISTS ContactList (
    name         TEXT,                 --  1  field id 1
    sex          TEXT,                 --  2  "男" / "女"
    mobileNum    TEXT,                 --  3  text: a leading "0" must survive
    birthDay     TEXT,                 --  4  "%Y-%m-%d" or ''
    specialDay   TEXT,                 --  5  "%Y-%m-%d" or ''
    qq           TEXT,                 --  6
    msn          TEXT,                 --  7
    eMail        TEXT,                 --  8
    faTel        TEXT,                 --  9
    faAddr       TEXT,                 -- 10
    coName       TEXT,                 -- 11
    coDept       TEXT,                 -- 12
    coEmp        TEXT,                 -- 13
    province     TEXT,                 -- 14
    city         TEXT,                 -- 15
    conAddr      TEXT,                 -- 16
    conIndusty   TEXT,                 -- 17  (spelling as used by every statement)
    conTel       TEXT,                 -- 18
    conFax       TEXT,                 -- 19
    mark         TEXT,                 -- 20  field id 20
    groupID      INTEGER,              -- 21  ContactGroup.GroupID
    perNO        INTEGER,              -- 22  contact id
    isDeleted    INTEGER DEFAULT 0,    -- 23  0 = present; default relied on
    firstLetter  TEXT,                 -- 24  pinyin initial; NULL/'' = not yet made
    displayIndex INTEGER(10) DEFAULT 0,-- 25  appended at start-up
    txtDef1      CHAR(250),            -- 26  user field 21 ... appended at start-up
    txtDef2      CHAR(250),            -- 27  22
    txtDef3      CHAR(250),            -- 28  23
    txtDef4      CHAR(250),            -- 29  24
    txtDef5      CHAR(250),            -- 30  25
    txtDef6      CHAR(250),            -- 31  26
    txtDef7      CHAR(250),            -- 32  27
    numDef1      INTEGER(20),          -- 33  28
    numDef2      INTEGER(20),          -- 34  29
    numDef3      INTEGER(20),          -- 35  30
    boolDef1     CHAR(2),              -- 36  31  "是" / "否"
    boolDef2     CHAR(2),              -- 37  32
    dateDef1     CHAR(20),             -- 38  33  "%Y-%m-%d" or ''
    dateDef2     CHAR(20)              -- 39  34
);

CREATE TABLE IF NOT EXISTS ContactGroup (
    GroupID    INTEGER,                -- "largest plus one"
    GroupName  TEXT,
    MasterID   INTEGER                 -- parent GroupID, 0 = top level
);

CREATE TABLE IF NOT EXISTS fieldDisplay (
    fieldID     INTEGER,               -- 1..20 fixed fields, 21..34 user fields
    name        TEXT,                  -- display name (matched by name in places)
    nameOfValue TEXT,                  -- ContactList column holding the value
    inUse       INTEGER,               -- 1 = the field exists for the user
    isVisible   INTEGER,               -- 1 = shown as a list column
    indexField  INTEGER                -- display position, 0-based
);

CREATE TABLE IF NOT EXISTS autoFieldInfo (
    personID   INTEGER,                -- ContactList.perNO
    fieldID    INTEGER,                -- fieldDisplay.fieldID (21..34)
    fieldName  TEXT,                   -- display name of the field
    fieldValue TEXT                    -- value as text (dates "YYYY-MM-DD")
);

CREATE TABLE IF NOT EXISTS accountInfo (
    fieldName  TEXT,                   -- '0', '1', 'name01'..'name20' (text!)
    fieldValue TEXT                    -- 'AD'+pwd, 'OP'+pwd, '0'/'1'
);

-- Physical order fixed by positional INSERTs (task wizard, one-contact
-- message, MMS, fax, voice, e-mail).
CREATE TABLE IF NOT EXISTS sendInfo (
    content          TEXT,             -- 1  text / document path / subject
    submitTime       TEXT,             -- 2  "%Y-%m-%d %H:%M:%S"
    timingTime       TEXT,             -- 3  "%Y-%m-%d %H:%M:00", '' or NULL = at once
    count            INTEGER,          -- 4  charged messages (-1 for fax)
    isDraft          INTEGER DEFAULT 0,-- 5  default relied on
    isFail           INTEGER,          -- 6
    sendID           INTEGER,          -- 7  job id, "largest plus one"
    sendType         INTEGER DEFAULT 1,-- 8  1 SMS 2 fax 3 e-mail 4 MMS 5 voice 6 survey; default relied on
    send_receive_Num INTEGER(5)        -- 9  reply sub-number 1..100; appended at start-up
);

CREATE TABLE IF NOT EXISTS sendNums (
    sendID        INTEGER,             -- sendInfo.sendID
    numOrMailAddr TEXT,                -- number or e-mail address
    name          TEXT,                -- contact name, may be NULL/''
    taskID        INTEGER DEFAULT 0,   -- task that made the row; default relied on
    rrid          CHAR(30),            -- service reference, up to 63 characters; appended at start-up
    status        CHAR(20)             -- delivery status text; appended at start-up
);

-- Physical order fixed by the converter's positional INSERT.
CREATE TABLE IF NOT EXISTS attachmentContent (
    soundFileFullPath TEXT,            -- sound file / e-mail attachment path
    pictureFullPath   TEXT,            -- MMS picture path
    txtContent        TEXT,            -- frame text / voice text / mail body
    sendID            INTEGER,         -- sendInfo.sendID
    sendIDChildID     TEXT             -- MMS frame '1'..'9',':'..'D' (text order = frame order)
);

CREATE TABLE IF NOT EXISTS receivedMSGRecord (
    receiveID        INTEGER,          -- the service's message id
    sendNum          TEXT,             -- sender
    msgContent       TEXT,
    sendTime         TEXT,             -- "%Y-%m-%d %H:%M:%S"
    alreadyRead      INTEGER DEFAULT 0,-- 1 = read (NULL also means unread)
    name             CHAR(20),         -- appended at start-up
    coName           CHAR(50),         -- appended at start-up
    send_receive_Num INTEGER(5)        -- appended at start-up; -1 = no sub-number
);

CREATE TABLE IF NOT EXISTS taskInfo (
    taskType     INTEGER,              -- 0 timed/cycle messages, 1 send message, 2 work reminder
    name         TEXT,
    description  TEXT,
    wndPreMinute TEXT,                 -- minutes as text; '' = no window reminder
    smsPreMinute TEXT,
    smsTipNums   TEXT,                 -- comma-separated numbers
    smsContent   TEXT,
    taskID       INTEGER,              -- "largest plus one"
    creatTime    TEXT,                 -- "%Y-%m-%d %H:%M:%S"
    isSingle     INTEGER,              -- 1 one occurrence, 0 periodic
    periodType   INTEGER,
    periodValue1 TEXT,
    periodValue2 TEXT
);

CREATE TABLE IF NOT EXISTS taskDetail (
    taskID      INTEGER,
    fullTime    TEXT,                  -- "%Y-%m-%d %H:%M"
    isCompleted INTEGER                -- 0 open, 1 done
);

CREATE TABLE IF NOT EXISTS holidaySMS (
    month   INTEGER,                   -- 1..12 (typed digits; INTEGER so ORDER BY month is numeric)
    day     INTEGER,                   -- 1..31
    name    TEXT,
    content TEXT,                      -- the greeting
    recID   INTEGER,                   -- "largest plus one", renewed on every edit
    type    INTEGER                    -- 0 Gregorian, 1 lunar, 2 custom
);

CREATE TABLE IF NOT EXISTS smsSourceGroup (
    recID    INTEGER,                  -- group id (INTEGER: the converter writes quoted digits)
    parentID INTEGER,                  -- 2 or 3 (fixed tree roots) or another recID
    content  TEXT                      -- group name
);

CREATE TABLE IF NOT EXISTS smsSourceContent (
    recID     INTEGER,
    parentID  INTEGER,                 -- smsSourceGroup.recID
    content   TEXT,                    -- phrase
    creatTime TEXT                     -- "%Y-%m-%d %H:%M"
);

CREATE TABLE IF NOT EXISTS interactiveMsgSql (
    recID   INTEGER,
    name    TEXT,                      -- rule name, unique by use
    content TEXT,                      -- reply text, may hold <%field%>
    sqlDes  TEXT                       -- stored SELECT returning sendNum
);

-- No "content" column here: with one, the rule-opening join of
-- CDlgInteractiveMSG ("SELECT field,symbol,filterValue,content FROM
-- interactiveMsgSqlField,interactiveMsgSql ...") is ambiguous and fails.
CREATE TABLE IF NOT EXISTS interactiveMsgSqlField (
    parentID    INTEGER,               -- interactiveMsgSql.recID
    parentName  TEXT,                  -- interactiveMsgSql.name
    field       TEXT,                  -- display name of the field
    symbol      TEXT,                  -- "大于", "小于", "等于", "包含", "不等于", "开始于"
    filterValue TEXT
);

CREATE TABLE IF NOT EXISTS serverAddress (
    disName TEXT,                      -- "服务器%d"
    address TEXT                       -- "http://host:8060/webservice.asmx"
);

CREATE TABLE IF NOT EXISTS CityInfo (
    Province TEXT,
    City     TEXT
);

CREATE TABLE IF NOT EXISTS Register (
    SerNum CHAR(30),                   -- service serial number
    PassWd CHAR(10),                   -- service password (up to 11 characters are used)
    Sign   CHAR(20)                    -- signature (written by the converter)
);

-- Login values (empty initial passwords) and the twenty operator rights, all
-- "0" (not granted). Only missing names are added: the unique index on
-- fieldName is created later and may be missing on an old database.
INSERT INTO accountInfo (fieldName, fieldValue)
SELECT v.column1, v.column2
FROM (VALUES
    ('0', 'AD'), ('1', 'OP'),
    ('name01', '0'), ('name02', '0'), ('name03', '0'), ('name04', '0'),
    ('name05', '0'), ('name06', '0'), ('name07', '0'), ('name08', '0'),
    ('name09', '0'), ('name10', '0'), ('name11', '0'), ('name12', '0'),
    ('name13', '0'), ('name14', '0'), ('name15', '0'), ('name16', '0'),
    ('name17', '0'), ('name18', '0'), ('name19', '0'), ('name20', '0')
) AS v
WHERE v.column1 NOT IN (SELECT fieldName FROM accountInfo WHERE fieldName IS NOT NULL);

-- The 34 contact fields. The names marked (fixed) are looked up or refused
-- by name elsewhere. Only missing ids are added, so a user's names and order
-- are never changed.
INSERT INTO fieldDisplay (fieldID, name, nameOfValue, inUse, isVisible, indexField)
SELECT v.column1, v.column2, v.column3, v.column4, v.column5, v.column6
FROM (VALUES
    ( 1, '姓名',         'name',        1, 1,  0),  -- (fixed)
    ( 2, '性别',         'sex',         1, 1,  1),  -- (fixed)
    ( 3, '手机或小灵通', 'mobileNum',   1, 1,  2),  -- (fixed)
    ( 4, '生日',         'birthDay',    1, 1,  3),  -- (fixed)
    ( 5, '特殊日期',     'specialDay',  1, 1,  4),  -- (fixed: import looks it up)
    ( 6, 'QQ',           'qq',          1, 1,  5),
    ( 7, 'MSN',          'msn',         1, 1,  6),
    ( 8, 'EMail',        'eMail',       1, 1,  7),
    ( 9, '家庭电话',     'faTel',       1, 1,  8),
    (10, '住址',         'faAddr',      1, 1,  9),
    (11, '公司名称',     'coName',      1, 1, 10),
    (12, '部门',         'coDept',      1, 1, 11),
    (13, '职务',         'coEmp',       1, 1, 12),
    (14, '省份',         'province',    1, 1, 13),  -- (fixed)
    (15, '城市',         'city',        1, 1, 14),  -- (fixed)
    (16, '地址',         'conAddr',     1, 1, 15),
    (17, '行业',         'conIndusty',  1, 1, 16),  -- (fixed)
    (18, '电话',         'conTel',      1, 1, 17),
    (19, '传真',         'conFax',      1, 1, 18),  -- (fixed)
    (20, '备注',         'mark',        1, 1, 19),
    (21, '自定义文本1',  'txtDef1',     0, 0, 20),
    (22, '自定义文本2',  'txtDef2',     0, 0, 21),
    (23, '自定义文本3',  'txtDef3',     0, 0, 22),
    (24, '自定义文本4',  'txtDef4',     0, 0, 23),
    (25, '自定义文本5',  'txtDef5',     0, 0, 24),
    (26, '自定义文本6',  'txtDef6',     0, 0, 25),
    (27, '自定义文本7',  'txtDef7',     0, 0, 26),
    (28, '自定义数字1',  'numDef1',     0, 0, 27),
    (29, '自定义数字2',  'numDef2',     0, 0, 28),
    (30, '自定义数字3',  'numDef3',     0, 0, 29),
    (31, '自定义是否1',  'boolDef1',    0, 0, 30),
    (32, '自定义是否2',  'boolDef2',    0, 0, 31),
    (33, '自定义日期1',  'dateDef1',    0, 0, 32),
    (34, '自定义日期2',  'dateDef2',    0, 0, 33)
) AS v
WHERE v.column1 NOT IN (SELECT fieldID FROM fieldDisplay WHERE fieldID IS NOT NULL);

-- Provinces and their cities for the contact editor: China's 34
-- provincial-level divisions and their prefecture-level divisions (a
-- municipality or special administrative region names itself). Only into an
-- empty table: a user's own list is never touched.
INSERT INTO CityInfo (Province, City)
SELECT v.column1, v.column2
FROM (VALUES
    ('北京市', '北京市'),
    ('天津市', '天津市'),
    ('上海市', '上海市'),
    ('重庆市', '重庆市'),
    ('河北省', '石家庄市'), ('河北省', '唐山市'), ('河北省', '秦皇岛市'), ('河北省', '邯郸市'), ('河北省', '邢台市'), ('河北省', '保定市'),
    ('河北省', '张家口市'), ('河北省', '承德市'), ('河北省', '沧州市'), ('河北省', '廊坊市'), ('河北省', '衡水市'),
    ('山西省', '太原市'), ('山西省', '大同市'), ('山西省', '阳泉市'), ('山西省', '长治市'), ('山西省', '晋城市'), ('山西省', '朔州市'),
    ('山西省', '晋中市'), ('山西省', '运城市'), ('山西省', '忻州市'), ('山西省', '临汾市'), ('山西省', '吕梁市'),
    ('内蒙古自治区', '呼和浩特市'), ('内蒙古自治区', '包头市'), ('内蒙古自治区', '乌海市'), ('内蒙古自治区', '赤峰市'), ('内蒙古自治区', '通辽市'),
    ('内蒙古自治区', '鄂尔多斯市'), ('内蒙古自治区', '呼伦贝尔市'), ('内蒙古自治区', '巴彦淖尔市'), ('内蒙古自治区', '乌兰察布市'), ('内蒙古自治区', '兴安盟'),
    ('内蒙古自治区', '锡林郭勒盟'), ('内蒙古自治区', '阿拉善盟'),
    ('辽宁省', '沈阳市'), ('辽宁省', '大连市'), ('辽宁省', '鞍山市'), ('辽宁省', '抚顺市'), ('辽宁省', '本溪市'), ('辽宁省', '丹东市'),
    ('辽宁省', '锦州市'), ('辽宁省', '营口市'), ('辽宁省', '阜新市'), ('辽宁省', '辽阳市'), ('辽宁省', '盘锦市'), ('辽宁省', '铁岭市'),
    ('辽宁省', '朝阳市'), ('辽宁省', '葫芦岛市'),
    ('吉林省', '长春市'), ('吉林省', '吉林市'), ('吉林省', '四平市'), ('吉林省', '辽源市'), ('吉林省', '通化市'), ('吉林省', '白山市'),
    ('吉林省', '松原市'), ('吉林省', '白城市'), ('吉林省', '延边朝鲜族自治州'),
    ('黑龙江省', '哈尔滨市'), ('黑龙江省', '齐齐哈尔市'), ('黑龙江省', '鸡西市'), ('黑龙江省', '鹤岗市'), ('黑龙江省', '双鸭山市'), ('黑龙江省', '大庆市'),
    ('黑龙江省', '伊春市'), ('黑龙江省', '佳木斯市'), ('黑龙江省', '七台河市'), ('黑龙江省', '牡丹江市'), ('黑龙江省', '黑河市'), ('黑龙江省', '绥化市'),
    ('黑龙江省', '大兴安岭地区'),
    ('江苏省', '南京市'), ('江苏省', '无锡市'), ('江苏省', '徐州市'), ('江苏省', '常州市'), ('江苏省', '苏州市'), ('江苏省', '南通市'),
    ('江苏省', '连云港市'), ('江苏省', '淮安市'), ('江苏省', '盐城市'), ('江苏省', '扬州市'), ('江苏省', '镇江市'), ('江苏省', '泰州市'),
    ('江苏省', '宿迁市'),
    ('浙江省', '杭州市'), ('浙江省', '宁波市'), ('浙江省', '温州市'), ('浙江省', '嘉兴市'), ('浙江省', '湖州市'), ('浙江省', '绍兴市'),
    ('浙江省', '金华市'), ('浙江省', '衢州市'), ('浙江省', '舟山市'), ('浙江省', '台州市'), ('浙江省', '丽水市'),
    ('安徽省', '合肥市'), ('安徽省', '芜湖市'), ('安徽省', '蚌埠市'), ('安徽省', '淮南市'), ('安徽省', '马鞍山市'), ('安徽省', '淮北市'),
    ('安徽省', '铜陵市'), ('安徽省', '安庆市'), ('安徽省', '黄山市'), ('安徽省', '滁州市'), ('安徽省', '阜阳市'), ('安徽省', '宿州市'),
    ('安徽省', '六安市'), ('安徽省', '亳州市'), ('安徽省', '池州市'), ('安徽省', '宣城市'),
    ('福建省', '福州市'), ('福建省', '厦门市'), ('福建省', '莆田市'), ('福建省', '三明市'), ('福建省', '泉州市'), ('福建省', '漳州市'),
    ('福建省', '南平市'), ('福建省', '龙岩市'), ('福建省', '宁德市'),
    ('江西省', '南昌市'), ('江西省', '景德镇市'), ('江西省', '萍乡市'), ('江西省', '九江市'), ('江西省', '新余市'), ('江西省', '鹰潭市'),
    ('江西省', '赣州市'), ('江西省', '吉安市'), ('江西省', '宜春市'), ('江西省', '抚州市'), ('江西省', '上饶市'),
    ('山东省', '济南市'), ('山东省', '青岛市'), ('山东省', '淄博市'), ('山东省', '枣庄市'), ('山东省', '东营市'), ('山东省', '烟台市'),
    ('山东省', '潍坊市'), ('山东省', '济宁市'), ('山东省', '泰安市'), ('山东省', '威海市'), ('山东省', '日照市'), ('山东省', '临沂市'),
    ('山东省', '德州市'), ('山东省', '聊城市'), ('山东省', '滨州市'), ('山东省', '菏泽市'),
    ('河南省', '郑州市'), ('河南省', '开封市'), ('河南省', '洛阳市'), ('河南省', '平顶山市'), ('河南省', '安阳市'), ('河南省', '鹤壁市'),
    ('河南省', '新乡市'), ('河南省', '焦作市'), ('河南省', '濮阳市'), ('河南省', '许昌市'), ('河南省', '漯河市'), ('河南省', '三门峡市'),
    ('河南省', '南阳市'), ('河南省', '商丘市'), ('河南省', '信阳市'), ('河南省', '周口市'), ('河南省', '驻马店市'),
    ('湖北省', '武汉市'), ('湖北省', '黄石市'), ('湖北省', '十堰市'), ('湖北省', '宜昌市'), ('湖北省', '襄阳市'), ('湖北省', '鄂州市'),
    ('湖北省', '荆门市'), ('湖北省', '孝感市'), ('湖北省', '荆州市'), ('湖北省', '黄冈市'), ('湖北省', '咸宁市'), ('湖北省', '随州市'),
    ('湖北省', '恩施土家族苗族自治州'),
    ('湖南省', '长沙市'), ('湖南省', '株洲市'), ('湖南省', '湘潭市'), ('湖南省', '衡阳市'), ('湖南省', '邵阳市'), ('湖南省', '岳阳市'),
    ('湖南省', '常德市'), ('湖南省', '张家界市'), ('湖南省', '益阳市'), ('湖南省', '郴州市'), ('湖南省', '永州市'), ('湖南省', '怀化市'),
    ('湖南省', '娄底市'), ('湖南省', '湘西土家族苗族自治州'),
    ('广东省', '广州市'), ('广东省', '韶关市'), ('广东省', '深圳市'), ('广东省', '珠海市'), ('广东省', '汕头市'), ('广东省', '佛山市'),
    ('广东省', '江门市'), ('广东省', '湛江市'), ('广东省', '茂名市'), ('广东省', '肇庆市'), ('广东省', '惠州市'), ('广东省', '梅州市'),
    ('广东省', '汕尾市'), ('广东省', '河源市'), ('广东省', '阳江市'), ('广东省', '清远市'), ('广东省', '东莞市'), ('广东省', '中山市'),
    ('广东省', '潮州市'), ('广东省', '揭阳市'), ('广东省', '云浮市'),
    ('广西壮族自治区', '南宁市'), ('广西壮族自治区', '柳州市'), ('广西壮族自治区', '桂林市'), ('广西壮族自治区', '梧州市'), ('广西壮族自治区', '北海市'),
    ('广西壮族自治区', '防城港市'), ('广西壮族自治区', '钦州市'), ('广西壮族自治区', '贵港市'), ('广西壮族自治区', '玉林市'), ('广西壮族自治区', '百色市'),
    ('广西壮族自治区', '贺州市'), ('广西壮族自治区', '河池市'), ('广西壮族自治区', '来宾市'), ('广西壮族自治区', '崇左市'),
    ('海南省', '海口市'), ('海南省', '三亚市'), ('海南省', '三沙市'), ('海南省', '儋州市'),
    ('四川省', '成都市'), ('四川省', '自贡市'), ('四川省', '攀枝花市'), ('四川省', '泸州市'), ('四川省', '德阳市'), ('四川省', '绵阳市'),
    ('四川省', '广元市'), ('四川省', '遂宁市'), ('四川省', '内江市'), ('四川省', '乐山市'), ('四川省', '南充市'), ('四川省', '眉山市'),
    ('四川省', '宜宾市'), ('四川省', '广安市'), ('四川省', '达州市'), ('四川省', '雅安市'), ('四川省', '巴中市'), ('四川省', '资阳市'),
    ('四川省', '阿坝藏族羌族自治州'), ('四川省', '甘孜藏族自治州'), ('四川省', '凉山彝族自治州'),
    ('贵州省', '贵阳市'), ('贵州省', '六盘水市'), ('贵州省', '遵义市'), ('贵州省', '安顺市'), ('贵州省', '毕节市'), ('贵州省', '铜仁市'),
    ('贵州省', '黔西南布依族苗族自治州'), ('贵州省', '黔东南苗族侗族自治州'), ('贵州省', '黔南布依族苗族自治州'),
    ('云南省', '昆明市'), ('云南省', '曲靖市'), ('云南省', '玉溪市'), ('云南省', '保山市'), ('云南省', '昭通市'), ('云南省', '丽江市'),
    ('云南省', '普洱市'), ('云南省', '临沧市'), ('云南省', '楚雄彝族自治州'), ('云南省', '红河哈尼族彝族自治州'), ('云南省', '文山壮族苗族自治州'),
    ('云南省', '西双版纳傣族自治州'), ('云南省', '大理白族自治州'), ('云南省', '德宏傣族景颇族自治州'), ('云南省', '怒江傈僳族自治州'), ('云南省', '迪庆藏族自治州'),
    ('西藏自治区', '拉萨市'), ('西藏自治区', '日喀则市'), ('西藏自治区', '昌都市'), ('西藏自治区', '林芝市'), ('西藏自治区', '山南市'),
    ('西藏自治区', '那曲市'), ('西藏自治区', '阿里地区'),
    ('陕西省', '西安市'), ('陕西省', '铜川市'), ('陕西省', '宝鸡市'), ('陕西省', '咸阳市'), ('陕西省', '渭南市'), ('陕西省', '延安市'),
    ('陕西省', '汉中市'), ('陕西省', '榆林市'), ('陕西省', '安康市'), ('陕西省', '商洛市'),
    ('甘肃省', '兰州市'), ('甘肃省', '嘉峪关市'), ('甘肃省', '金昌市'), ('甘肃省', '白银市'), ('甘肃省', '天水市'), ('甘肃省', '武威市'),
    ('甘肃省', '张掖市'), ('甘肃省', '平凉市'), ('甘肃省', '酒泉市'), ('甘肃省', '庆阳市'), ('甘肃省', '定西市'), ('甘肃省', '陇南市'),
    ('甘肃省', '临夏回族自治州'), ('甘肃省', '甘南藏族自治州'),
    ('青海省', '西宁市'), ('青海省', '海东市'), ('青海省', '海北藏族自治州'), ('青海省', '黄南藏族自治州'), ('青海省', '海南藏族自治州'),
    ('青海省', '果洛藏族自治州'), ('青海省', '玉树藏族自治州'), ('青海省', '海西蒙古族藏族自治州'),
    ('宁夏回族自治区', '银川市'), ('宁夏回族自治区', '石嘴山市'), ('宁夏回族自治区', '吴忠市'), ('宁夏回族自治区', '固原市'), ('宁夏回族自治区', '中卫市'),
    ('新疆维吾尔自治区', '乌鲁木齐市'), ('新疆维吾尔自治区', '克拉玛依市'), ('新疆维吾尔自治区', '吐鲁番市'), ('新疆维吾尔自治区', '哈密市'),
    ('新疆维吾尔自治区', '昌吉回族自治州'), ('新疆维吾尔自治区', '博尔塔拉蒙古自治州'), ('新疆维吾尔自治区', '巴音郭楞蒙古自治州'), ('新疆维吾尔自治区', '阿克苏地区'),
    ('新疆维吾尔自治区', '克孜勒苏柯尔克孜自治州'), ('新疆维吾尔自治区', '喀什地区'), ('新疆维吾尔自治区', '和田地区'), ('新疆维吾尔自治区', '伊犁哈萨克自治州'),
    ('新疆维吾尔自治区', '塔城地区'), ('新疆维吾尔自治区', '阿勒泰地区'),
    ('台湾省', '台湾省'),
    ('香港特别行政区', '香港特别行政区'),
    ('澳门特别行政区', '澳门特别行政区')
) AS v
WHERE NOT EXISTS (SELECT 1 FROM CityInfo);
