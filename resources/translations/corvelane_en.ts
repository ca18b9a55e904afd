<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>Strings</name>
    <message>
        <source>关于 Corvelane(&amp;A)...</source>
        <extracomment>string 101</extracomment>
        <translation>About Corvelane(&amp;A)...</translation>
    </message>
    <message>
        <source>登录</source>
        <extracomment>string 102</extracomment>
        <translation>Login</translation>
    </message>
    <message>
        <source>密码</source>
        <extracomment>string 103</extracomment>
        <translation>Password</translation>
    </message>
    <message>
        <source>提示:软件初始密码为空.
请直接点击“登录”按钮进入,
进入后请在设置中修改密码.</source>
        <extracomment>string 104</extracomment>
        <translation>Tip: the initial password is empty.
Click "Login" to enter,
then change the password in the settings.</translation>
    </message>
    <message>
        <source>新建任务</source>
        <extracomment>string 105</extracomment>
        <translation>New Task</translation>
    </message>
    <message>
        <source>发送短信</source>
        <extracomment>string 106</extracomment>
        <translation>Send SMS</translation>
    </message>
    <message>
        <source>接收短信</source>
        <extracomment>string 107</extracomment>
        <translation>Receive SMS</translation>
    </message>
    <message>
        <source>个性短信</source>
        <extracomment>string 108</extracomment>
        <translation>Per SMS</translation>
    </message>
    <message>
        <source>余额查询</source>
        <extracomment>string 109</extracomment>
        <translation>Balance</translation>
    </message>
    <message>
        <source>网络电话</source>
        <extracomment>string 110</extracomment>
        <translation>VOIP</translation>
    </message>
    <message>
        <source>网络硬盘</source>
        <extracomment>string 111</extracomment>
        <translation>The cloud</translation>
    </message>
    <message>
        <source>网络管理</source>
        <extracomment>string 112</extracomment>
        <translation>Network management</translation>
    </message>
    <message>
        <source>即时通讯</source>
        <extracomment>string 113</extracomment>
        <translation>IM</translation>
    </message>
    <message>
        <source>发送邮件</source>
        <extracomment>string 114</extracomment>
        <translation>Send E-mail</translation>
    </message>
    <message>
        <source>发送传真</source>
        <extracomment>string 115</extracomment>
        <translation>Send fax</translation>
    </message>
    <message>
        <source>发送彩信</source>
        <extracomment>string 116</extracomment>
        <translation>Send MMS</translation>
    </message>
    <message>
        <source>手机报</source>
        <extracomment>string 117</extracomment>
        <translation>Mobile news</translation>
    </message>
    <message>
        <source>发送语音</source>
        <extracomment>string 118</extracomment>
        <translation>Send voice</translation>
    </message>
    <message>
        <source>数据引擎</source>
        <extracomment>string 119</extracomment>
        <translation>Data engine</translation>
    </message>
    <message>
        <source>网信管理</source>
        <extracomment>string 120</extracomment>
        <translation>Network SMS</translation>
    </message>
    <message>
        <source>退出</source>
        <extracomment>string 121</extracomment>
        <translation>Exit</translation>
    </message>
    <message>
        <source>联系人</source>
        <extracomment>string 122</extracomment>
        <translation>Contacts</translation>
    </message>
    <message>
        <source>短信</source>
        <extracomment>string 123</extracomment>
        <translation>SMS</translation>
    </message>
    <message>
        <source>已接收记录</source>
        <extracomment>string 124</extracomment>
        <translation>Received records</translation>
    </message>
    <message>
        <source>调查记录</source>
        <extracomment>string 125</extracomment>
        <translation>Investigation records</translation>
    </message>
    <message>
        <source>任务列表</source>
        <extracomment>string 126</extracomment>
        <translation>Task list</translation>
    </message>
    <message>
        <source>传真</source>
        <extracomment>string 127</extracomment>
        <translation>Fax</translation>
    </message>
    <message>
        <source>邮件</source>
        <extracomment>string 128</extracomment>
        <translation>E_mail</translation>
    </message>
    <message>
        <source>彩信</source>
        <extracomment>string 129</extracomment>
        <translation>MMS</translation>
    </message>
    <message>
        <source>语音</source>
        <extracomment>string 130</extracomment>
        <translation>Voice</translation>
    </message>
    <message>
        <source>草稿箱</source>
        <extracomment>string 133</extracomment>
        <translation>Draft box</translation>
    </message>
    <message>
        <source>发送失败记录</source>
        <extracomment>string 134</extracomment>
        <translation>Failure record</translation>
    </message>
    <message>
        <source>发送成功记录</source>
        <extracomment>string 135</extracomment>
        <translation>Success record</translation>
    </message>
    <message>
        <source>增加分组</source>
        <extracomment>string 136</extracomment>
        <translation>Add a group</translation>
    </message>
    <message>
        <source>删除分组</source>
        <extracomment>string 137</extracomment>
        <translation>Delete group</translation>
    </message>
    <message>
        <source>重命名分组</source>
        <extracomment>string 138</extracomment>
        <translation>Rename group</translation>
    </message>
    <message>
        <source>添加联系人</source>
        <extracomment>string 139</extracomment>
        <translation>Add contact</translation>
    </message>
    <message>
        <source>导入联系人</source>
        <extracomment>string 140</extracomment>
        <translation>Import contacts</translation>
    </message>
    <message>
        <source>移动到组</source>
        <extracomment>string 141</extracomment>
        <translation>Move to group</translation>
    </message>
    <message>
        <source>分组管理</source>
        <extracomment>string 142</extracomment>
        <translation>Group management</translation>
    </message>
    <message>
        <source>任务名称不能为空</source>
        <extracomment>string 143</extracomment>
        <translation>Task name cannot be empty</translation>
    </message>
    <message>
        <source>任务日期不能小于当前日期</source>
        <extracomment>string 144</extracomment>
        <translation>Task date cannot be less than the current date</translation>
    </message>
    <message>
        <source>任务时间不能小于当前时间</source>
        <extracomment>string 145</extracomment>
        <translation>Task time is not less than the current time</translation>
    </message>
    <message>
        <source>任务执行时间小于当前时间后5分钟,如不修改,可能将不会执行.是否继续?</source>
        <extracomment>string 146</extracomment>
        <translation>Task execution time is less than 5 minutes after the current time, if not modify, probably will not perform. Whether or not to continue?</translation>
    </message>
    <message>
        <source>请设定任务执行时间.</source>
        <extracomment>string 147</extracomment>
        <translation>Please set up the task execution time.</translation>
    </message>
    <message>
        <source>发送对象不能为空</source>
        <extracomment>string 148</extracomment>
        <translation>Send the object cannot be empty</translation>
    </message>
    <message>
        <source>手机号码个数只能在100个以内.</source>
        <extracomment>string 149</extracomment>
        <translation>The number of mobile phone number can only be within 100.</translation>
    </message>
    <message>
        <source>存入号码列表出错了.</source>
        <extracomment>string 150</extracomment>
        <translation>In the number list is wrong.</translation>
    </message>
    <message>
        <source>短信内容不能为空</source>
        <extracomment>string 151</extracomment>
        <translation>Message content cannot be empty</translation>
    </message>
    <message>
        <source>内容长度不能超过500</source>
        <extracomment>string 152</extracomment>
        <translation>The content length should not exceed 500</translation>
    </message>
    <message>
        <source>定时(周期)短信提交成功.</source>
        <extracomment>string 153</extracomment>
        <translation>Timing (cycle) message submitted successfully.</translation>
    </message>
    <message>
        <source>请至少选择一条记录进行此项操作</source>
        <extracomment>string 154</extracomment>
        <translation>Please select at least one record for this operation</translation>
    </message>
    <message>
        <source>字段名称不能为空</source>
        <extracomment>string 155</extracomment>
        <translation>The field name cannot be empty</translation>
    </message>
    <message>
        <source>字段名称已存在</source>
        <extracomment>string 156</extracomment>
        <translation>The field name already exists</translation>
    </message>
    <message>
        <source>字段名称不能重复</source>
        <extracomment>string 157</extracomment>
        <translation>Field names must be unique</translation>
    </message>
    <message>
        <source>序号起始值必须为大于0的整数</source>
        <extracomment>string 158</extracomment>
        <translation>The starting number must be an integer greater than 0</translation>
    </message>
    <message>
        <source>条记录已选中,确定删除?</source>
        <extracomment>string 159</extracomment>
        <translation> records selected. Delete them?</translation>
    </message>
    <message>
        <source>删除失败</source>
        <extracomment>string 160</extracomment>
        <translation>Delete failed</translation>
    </message>
    <message>
        <source>有联系人没有生成首字母,可能查询不全.是否现在生成?</source>
        <extracomment>string 161</extracomment>
        <translation>Some contacts have no initials yet, so the search may be incomplete. Generate them now?</translation>
    </message>
    <message>
        <source>导出联系人成功</source>
        <extracomment>string 162</extracomment>
        <translation>Contacts exported successfully</translation>
    </message>
    <message>
        <source>只能将一个号码添加至联系人！</source>
        <extracomment>string 163</extracomment>
        <translation>Only one number can be added to the contacts!</translation>
    </message>
    <message>
        <source>号码为空或是非法手机号码，请重新填写！</source>
        <extracomment>string 164</extracomment>
        <translation>The number is empty or not a valid mobile number. Please enter it again!</translation>
    </message>
    <message>
        <source>保存成功</source>
        <extracomment>string 165</extracomment>
        <translation>Save success</translation>
    </message>
    <message>
        <source>生日提醒提前天数应小于30</source>
        <extracomment>string 166</extracomment>
        <translation>Birthday reminder should be less than 30 days in advance</translation>
    </message>
    <message>
        <source>第一次提醒时间小于当前时间后5分钟,如不修改,今天可能将不会提醒.是否继续?</source>
        <extracomment>string 167</extracomment>
        <translation>The first reminder is less than 5 minutes from now; unless you change it, there may be no reminder today. Continue?</translation>
    </message>
    <message>
        <source>无有效的定时时间,请确保定时时间大于当前时间!</source>
        <extracomment>string 168</extracomment>
        <translation>No effective timing time, please make sure that timing is greater than the current time!</translation>
    </message>
    <message>
        <source>计算出以下时间的定时短信</source>
        <extracomment>string 169</extracomment>
        <translation>Timed messages were calculated for the following times</translation>
    </message>
    <message>
        <source>是否提交？</source>
        <extracomment>string 170</extracomment>
        <translation>Submit?</translation>
    </message>
    <message>
        <source>发送日期和当前日期一样时，发送时间不能小于当前时间</source>
        <extracomment>string 171</extracomment>
        <translation>Sending date as well as the current date, send time is not less than the current time</translation>
    </message>
    <message>
        <source>提前发送后,列表中有项的发送时间小于当前时间,这些项将立即发送.

&#9;&#9;确定提前天数及时间正确?</source>
        <extracomment>string 172</extracomment>
        <translation>With the days in advance, some entries of the list fall before the current time; they will be sent at once.

&#9;&#9;Are the days in advance and the time correct?</translation>
    </message>
    <message>
        <source>开始日期应大于等于当前日期</source>
        <extracomment>string 173</extracomment>
        <translation>Start date should be greater than or equal to the current date</translation>
    </message>
    <message>
        <source>开始日期应小于等于结束日期</source>
        <extracomment>string 174</extracomment>
        <translation>Start date should be less than or equal to end date</translation>
    </message>
    <message>
        <source>目标分组不能为空</source>
        <extracomment>string 175</extracomment>
        <translation>The target group cannot be empty</translation>
    </message>
    <message>
        <source>目标分组只能有一个</source>
        <extracomment>string 176</extracomment>
        <translation>Only one target group can be chosen</translation>
    </message>
    <message>
        <source>条件名称不能为空.</source>
        <extracomment>string 177</extracomment>
        <translation>The condition name cannot be empty.</translation>
    </message>
    <message>
        <source>存在相同名称的条件,是否覆盖?</source>
        <extracomment>string 178</extracomment>
        <translation>A condition with this name exists. Overwrite it?</translation>
    </message>
    <message>
        <source>只能针对选定的一条记录进行此操作</source>
        <extracomment>string 179</extracomment>
        <translation>Only selected a record for this operation</translation>
    </message>
    <message>
        <source>请选择要删除的记录</source>
        <extracomment>string 180</extracomment>
        <translation>Please choose to delete records</translation>
    </message>
    <message>
        <source>请先设定该联系人的特殊日期</source>
        <extracomment>string 181</extracomment>
        <translation>Please set the contact's special date first</translation>
    </message>
    <message>
        <source>请先设定该联系人的生日</source>
        <extracomment>string 182</extracomment>
        <translation>Please set the contact's birthday first</translation>
    </message>
    <message>
        <source>请先填写该联系人的手机号码</source>
        <extracomment>string 183</extracomment>
        <translation>Please enter the contact's mobile number first</translation>
    </message>
    <message>
        <source>此操作会删除所有非法号码。

可能需要较长时间，是否继续？</source>
        <extracomment>string 184</extracomment>
        <translation>This deletes all invalid numbers.

It may take a while. Continue?</translation>
    </message>
    <message>
        <source>正在处理...</source>
        <extracomment>string 185</extracomment>
        <translation>Processing...</translation>
    </message>
    <message>
        <source>保存联系人信息成功</source>
        <extracomment>string 186</extracomment>
        <translation>Contact information saved</translation>
    </message>
    <message>
        <source>联系人信息</source>
        <extracomment>string 187</extracomment>
        <translation>The contact information</translation>
    </message>
    <message>
        <source>自定义联系人属性</source>
        <extracomment>string 188</extracomment>
        <translation>Custom contact properties</translation>
    </message>
    <message>
        <source>带*内容不能为空</source>
        <extracomment>string 189</extracomment>
        <translation>The belt * content cannot be empty</translation>
    </message>
    <message>
        <source>生日短信自动发送内容不能为空</source>
        <extracomment>string 191</extracomment>
        <translation>Birthday messages sent automatically content cannot be empty</translation>
    </message>
    <message>
        <source>特殊日期短信自动发送内容不能为空</source>
        <extracomment>string 192</extracomment>
        <translation>Special date of SMS automatically send content cannot be empty</translation>
    </message>
    <message>
        <source>设置成功！</source>
        <extracomment>string 193</extracomment>
        <translation>Settings saved!</translation>
    </message>
    <message>
        <source>导出联系人失败</source>
        <extracomment>string 194</extracomment>
        <translation>Exporting the contacts failed</translation>
    </message>
    <message>
        <source>文件已经存在，是否覆盖？</source>
        <extracomment>string 195</extracomment>
        <translation>The file already exists. Overwrite it?</translation>
    </message>
    <message>
        <source>创建Excel服务失败!缺少微软Excel组件和Wps组件！</source>
        <extracomment>string 196</extracomment>
        <translation>Cannot start the spreadsheet service! Neither Microsoft Excel nor WPS is available!</translation>
    </message>
    <message>
        <source>提示</source>
        <extracomment>string 197</extracomment>
        <translation>Tip</translation>
    </message>
    <message>
        <source>请选择所导入联系人的目标分组.</source>
        <extracomment>string 203</extracomment>
        <translation>Please select the import contacts target group.</translation>
    </message>
    <message>
        <source>文件名称不能为空.</source>
        <extracomment>string 204</extracomment>
        <translation>The file name cannot be empty.</translation>
    </message>
    <message>
        <source>表名不能为空.</source>
        <extracomment>string 205</extracomment>
        <translation>The table name cannot be empty.</translation>
    </message>
    <message>
        <source>表单名称不能为空.</source>
        <extracomment>string 206</extracomment>
        <translation>Form name cannot be empty.</translation>
    </message>
    <message>
        <source>既没有Excel组件,也没有Wps组件,无法导入!</source>
        <extracomment>string 207</extracomment>
        <translation>Neither Excel components, nor the Wps component, unable to import!</translation>
    </message>
    <message>
        <source>一次只能拖放一个文件</source>
        <extracomment>string 208</extracomment>
        <translation>Can drag and drop a file at a time</translation>
    </message>
    <message>
        <source>联系人文件格式不正确!</source>
        <extracomment>string 209</extracomment>
        <translation>The contact file format is not correct!</translation>
    </message>
    <message>
        <source>条件列表和短信内容都不能空.</source>
        <extracomment>string 210</extracomment>
        <translation>Neither the condition list nor the message content can be empty.</translation>
    </message>
    <message>
        <source>查询字段和条件及内容都不能为空</source>
        <extracomment>string 211</extracomment>
        <translation>The query field, condition and content cannot be empty</translation>
    </message>
    <message>
        <source>图片格式不正确</source>
        <extracomment>string 212</extracomment>
        <translation>The picture format is not correct</translation>
    </message>
    <message>
        <source>声音文件格式不正确</source>
        <extracomment>string 213</extracomment>
        <translation>The sound file format is not correct</translation>
    </message>
    <message>
        <source>确定要发送本条彩信吗？</source>
        <extracomment>string 214</extracomment>
        <translation>Send this MMS?</translation>
    </message>
    <message>
        <source>本地数据库读取错误,请关闭后重新运行.</source>
        <extracomment>string 215</extracomment>
        <translation>The local database read error, please rerun after shut down.</translation>
    </message>
    <message>
        <source>数据库文件已被损坏</source>
        <extracomment>string 216</extracomment>
        <translation>The database files have been damaged</translation>
    </message>
    <message>
        <source>密码错误</source>
        <extracomment>string 217</extracomment>
        <translation>Password mistake</translation>
    </message>
    <message>
        <source>两次密码输入不一致</source>
        <extracomment>string 218</extracomment>
        <translation>Two different password inputs</translation>
    </message>
    <message>
        <source>修改密码成功</source>
        <extracomment>string 219</extracomment>
        <translation>Change the password successfully</translation>
    </message>
    <message>
        <source>所有项目必填且长度必须在6到11位之内</source>
        <extracomment>string 220</extracomment>
        <translation>All fields are required and must be 6 to 11 characters long</translation>
    </message>
    <message>
        <source>原密码输入错误</source>
        <extracomment>string 221</extracomment>
        <translation>The current password is wrong</translation>
    </message>
    <message>
        <source>密码修改成功，但本地数据库更新数据出错.</source>
        <extracomment>string 222</extracomment>
        <translation>The password was changed, but updating the local database failed.</translation>
    </message>
    <message>
        <source>该分组及其子组和内容都将被删除,是否继续?</source>
        <extracomment>string 223</extracomment>
        <translation>The group, its subgroups and their contents will be deleted. Continue?</translation>
    </message>
    <message>
        <source>请选择短语的目标分组</source>
        <extracomment>string 224</extracomment>
        <translation>Please choose the target group of the phrase</translation>
    </message>
    <message>
        <source>只能选择其子组作为短语的目标分组.</source>
        <extracomment>string 225</extracomment>
        <translation>Only a subgroup can be the target group of a phrase.</translation>
    </message>
    <message>
        <source>分组名字不能为空!</source>
        <extracomment>string 226</extracomment>
        <translation>The group name cannot be empty!</translation>
    </message>
    <message>
        <source>删除成功</source>
        <extracomment>string 227</extracomment>
        <translation>Deleted successfully</translation>
    </message>
    <message>
        <source>导出记录成功</source>
        <extracomment>string 228</extracomment>
        <translation>Records exported successfully</translation>
    </message>
    <message>
        <source>请选择要个性重发的记录！</source>
        <extracomment>string 229</extracomment>
        <translation>Please choose the records to resend personalised!</translation>
    </message>
    <message>
        <source>获取服务器成功</source>
        <extracomment>string 231</extracomment>
        <translation>Server list received</translation>
    </message>
    <message>
        <source>获取服务器失败,将自动转到备用服务器</source>
        <extracomment>string 232</extracomment>
        <translation>Getting the server list failed; the backup server will be used</translation>
    </message>
    <message>
        <source>请选择服务器</source>
        <extracomment>string 233</extracomment>
        <translation>Please select a server</translation>
    </message>
    <message>
        <source>服务器内容不能为空!</source>
        <extracomment>string 234</extracomment>
        <translation>The server cannot be empty!</translation>
    </message>
    <message>
        <source>端口内容不能为空!</source>
        <extracomment>string 235</extracomment>
        <translation>The port cannot be empty!</translation>
    </message>
    <message>
        <source>代理服务器连接成功!</source>
        <extracomment>string 236</extracomment>
        <translation>Connected to the proxy server!</translation>
    </message>
    <message>
        <source>代理服务器连接失败!</source>
        <extracomment>string 237</extracomment>
        <translation>Connecting to the proxy server failed!</translation>
    </message>
    <message>
        <source>设置成功.下次程序启动后开始生效</source>
        <extracomment>string 238</extracomment>
        <translation>Settings saved. They take effect the next time the program starts</translation>
    </message>
    <message>
        <source>选择的周期内执行任务的时间数为空,请确认选择的频率,日期及起止日期</source>
        <extracomment>string 239</extracomment>
        <translation>Select the number of time cycle mission is empty, please make sure the choice of frequency, date and commencement date</translation>
    </message>
    <message>
        <source>余额不足，请先充值！</source>
        <extracomment>string 241</extracomment>
        <translation>Insufficient balance. Please recharge first!</translation>
    </message>
    <message>
        <source>号码或者内容为空，不能发送！</source>
        <extracomment>string 242</extracomment>
        <translation>The numbers or the content are empty; nothing can be sent!</translation>
    </message>
    <message>
        <source>发送?</source>
        <extracomment>string 243</extracomment>
        <translation>To send?</translation>
    </message>
    <message>
        <source>提交?</source>
        <extracomment>string 244</extracomment>
        <translation>To submit?</translation>
    </message>
    <message>
        <source>确定</source>
        <extracomment>string 245</extracomment>
        <translation>Ok</translation>
    </message>
    <message>
        <source>成功</source>
        <extracomment>string 246</extracomment>
        <translation>Succeeded</translation>
    </message>
    <message>
        <source>部分发送失败，请到失败记录里重新</source>
        <extracomment>string 247</extracomment>
        <translation>Some items failed; please retry them from the failure records</translation>
    </message>
    <message>
        <source>分隔符太长！</source>
        <extracomment>string 249</extracomment>
        <translation>The separator is too long!</translation>
    </message>
    <message>
        <source>卡号或密码长度不正确</source>
        <extracomment>string 250</extracomment>
        <translation>The card number or password has the wrong length</translation>
    </message>
    <message>
        <source>请添加要查询的手机号码!</source>
        <extracomment>string 261</extracomment>
        <translation>Please enter the mobile number to look for!</translation>
    </message>
    <message>
        <source>查询的号码不存在!</source>
        <extracomment>string 262</extracomment>
        <translation>The number was not found!</translation>
    </message>
    <message>
        <source>请添加要查询的姓名!</source>
        <extracomment>string 263</extracomment>
        <translation>Please enter the name to look for!</translation>
    </message>
    <message>
        <source>查询的姓名不存在!</source>
        <extracomment>string 264</extracomment>
        <translation>The name was not found!</translation>
    </message>
    <message>
        <source>查询余额失败!</source>
        <extracomment>string 265</extracomment>
        <translation>Querying the balance failed!</translation>
    </message>
    <message>
        <source>您的账户可用条数为:</source>
        <extracomment>string 266</extracomment>
        <translation>Messages available in your account:</translation>
    </message>
    <message>
        <source>保存草稿成功</source>
        <extracomment>string 267</extracomment>
        <translation>Draft saved</translation>
    </message>
    <message>
        <source>发送列表不能为空</source>
        <extracomment>string 274</extracomment>
        <translation>The send list cannot be empty</translation>
    </message>
    <message>
        <source>主题不能为空</source>
        <extracomment>string 275</extracomment>
        <translation>The subject cannot be empty</translation>
    </message>
    <message>
        <source>确定发送?</source>
        <extracomment>string 276</extracomment>
        <translation>Send now?</translation>
    </message>
    <message>
        <source>发送成功</source>
        <extracomment>string 280</extracomment>
        <translation>Sent successfully</translation>
    </message>
    <message>
        <source>部分或全部发送失败,请到彩信发送失败记录里重发!</source>
        <extracomment>string 289</extracomment>
        <translation>Some or all messages failed to send; please resend them from the MMS failure records!</translation>
    </message>
    <message>
        <source>主题字数不能超过30个字</source>
        <extracomment>string 290</extracomment>
        <translation>The subject cannot be longer than 30 characters</translation>
    </message>
    <message>
        <source>存入彩信记录主题等出错了</source>
        <extracomment>string 291</extracomment>
        <translation>Saving the MMS record (subject and details) failed</translation>
    </message>
    <message>
        <source>删除原彩信附件记录出错了</source>
        <extracomment>string 292</extracomment>
        <translation>Deleting the old MMS attachment records failed</translation>
    </message>
    <message>
        <source>保存彩信附件记录出错了</source>
        <extracomment>string 293</extracomment>
        <translation>Saving the MMS attachment records failed</translation>
    </message>
    <message>
        <source>删除原彩信号码记录出错了</source>
        <extracomment>string 294</extracomment>
        <translation>Deleting the old MMS number records failed</translation>
    </message>
    <message>
        <source>图片路径不能为空</source>
        <extracomment>string 295</extracomment>
        <translation>The picture path cannot be empty</translation>
    </message>
    <message>
        <source>不能编辑gif格式图片</source>
        <extracomment>string 296</extracomment>
        <translation>GIF pictures cannot be edited</translation>
    </message>
    <message>
        <source>条件列表不能为空</source>
        <extracomment>string 311</extracomment>
        <translation>The condition list cannot be empty</translation>
    </message>
    <message>
        <source>查询内容不能为空</source>
        <extracomment>string 312</extracomment>
        <translation>The query content cannot be empty</translation>
    </message>
    <message>
        <source>自动接收时间间隔不能小于5秒钟.</source>
        <extracomment>string 313</extracomment>
        <translation>The automatic receive interval cannot be less than 5 seconds.</translation>
    </message>
    <message>
        <source>自动回复内容不能为空.</source>
        <extracomment>string 314</extracomment>
        <translation>The automatic reply cannot be empty.</translation>
    </message>
    <message>
        <source>声音路径不能为空.</source>
        <extracomment>string 315</extracomment>
        <translation>The sound path cannot be empty.</translation>
    </message>
    <message>
        <source>生日提前天数只能在0-30天内</source>
        <extracomment>string 316</extracomment>
        <translation>The days before a birthday must be between 0 and 30</translation>
    </message>
    <message>
        <source>每批发送条数不能小于1</source>
        <extracomment>string 317</extracomment>
        <translation>The messages per batch cannot be less than 1</translation>
    </message>
    <message>
        <source>设置成功,立即生效！</source>
        <extracomment>string 318</extracomment>
        <translation>Settings saved and in effect now!</translation>
    </message>
    <message>
        <source>必须选择当前条数(即必须选择A)</source>
        <extracomment>string 319</extracomment>
        <translation>The current part number must be selected (A must be checked)</translation>
    </message>
    <message>
        <source>拆分短信前缀的开始和结尾符都不能为数字</source>
        <extracomment>string 320</extracomment>
        <translation>The opening and closing characters of the split-message prefix cannot be digits</translation>
    </message>
    <message>
        <source>拆分短信前缀不能使用用完整的小括号</source>
        <extracomment>string 321</extracomment>
        <translation>The split-message prefix cannot use a complete pair of parentheses</translation>
    </message>
    <message>
        <source>软件序列号</source>
        <extracomment>string 330</extracomment>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>特服号</source>
        <extracomment>string 331</extracomment>
        <translation>Service number</translation>
    </message>
    <message>
        <source>是否备份数据库?</source>
        <extracomment>string 332</extracomment>
        <translation>Back up the database?</translation>
    </message>
    <message>
        <source>备份确认</source>
        <extracomment>string 333</extracomment>
        <translation>Backup</translation>
    </message>
    <message>
        <source>请选择一个联系人的子组作为将要导入的目标分组</source>
        <extracomment>string 334</extracomment>
        <translation>Please select a contact subgroup as the import target group</translation>
    </message>
    <message>
        <source>您没有相应的操作权限，请联系管理员!</source>
        <extracomment>string 339</extracomment>
        <translation>You do not have permission for this operation. Please contact the administrator!</translation>
    </message>
    <message>
        <source>压缩数据库成功！</source>
        <extracomment>string 340</extracomment>
        <translation>Database compressed successfully!</translation>
    </message>
    <message>
        <source>请选择用此客户端备份的数据库文件。如果选择其他文件导致数据库被破坏而丢失信息，用户自己承担责任！</source>
        <extracomment>string 341</extracomment>
        <translation>Please choose a database file backed up by this client. Choosing any other file may damage the database and lose data, at your own risk!</translation>
    </message>
    <message>
        <source>新建分组失败!此分组名称已存在</source>
        <extracomment>string 342</extracomment>
        <translation>Creating the group failed! A group with this name already exists</translation>
    </message>
    <message>
        <source>该分组及子组和相关联系人都将删除,确定删除?</source>
        <extracomment>string 343</extracomment>
        <translation>The group, its subgroups and their contacts will be deleted. Delete?</translation>
    </message>
    <message>
        <source>警告：
  该操作将使用“本机数据” 覆盖 “云端数据”！是否执行同步操作？</source>
        <extracomment>string 344</extracomment>
        <translation>Warning:
  This overwrites the "cloud data" with the "local data"! Synchronise now?</translation>
    </message>
    <message>
        <source>警告</source>
        <extracomment>string 345</extracomment>
        <translation>Warning</translation>
    </message>
    <message>
        <source>同步成功！</source>
        <extracomment>string 346</extracomment>
        <translation>Synchronised successfully!</translation>
    </message>
    <message>
        <source>同步失败！</source>
        <extracomment>string 347</extracomment>
        <translation>Synchronisation failed!</translation>
    </message>
    <message>
        <source>警告：
  该操作将使用“云端数据” 覆盖 “本机数据”！是否执行同步操作？</source>
        <extracomment>string 348</extracomment>
        <translation>Warning:
  This overwrites the "local data" with the "cloud data"! Synchronise now?</translation>
    </message>
    <message>
        <source>重命名失败!此分组名称已存在</source>
        <extracomment>string 349</extracomment>
        <translation>Renaming failed! A group with this name already exists</translation>
    </message>
    <message>
        <source>删除插件成功</source>
        <extracomment>string 350</extracomment>
        <translation>Add-in removed successfully</translation>
    </message>
    <message>
        <source>安装插件成功</source>
        <extracomment>string 351</extracomment>
        <translation>Add-in installed successfully</translation>
    </message>
    <message>
        <source>Excel传入的参数不足！</source>
        <extracomment>string 352</extracomment>
        <translation>The spreadsheet passed too few parameters!</translation>
    </message>
    <message>
        <source>没有需要接收的短信.</source>
        <extracomment>string 353</extracomment>
        <translation>There is no need to receive messages.</translation>
    </message>
    <message>
        <source>备份数据成功！</source>
        <extracomment>string 354</extracomment>
        <translation>The backup data succeed!</translation>
    </message>
    <message>
        <source>备份数据失败！请检查文件是否已经存在！</source>
        <extracomment>string 355</extracomment>
        <translation>The backup data failed!Please check if the file already exists!</translation>
    </message>
    <message>
        <source>备份文件(*.bak)|*.bak||</source>
        <extracomment>string 356</extracomment>
        <translation>Backup file(*.bak)|*.bak||</translation>
    </message>
    <message>
        <source>打开备份文件出错！请选择正确的备份文件！</source>
        <extracomment>string 357</extracomment>
        <translation>Open backup file error!Please select the correct backup file!</translation>
    </message>
    <message>
        <source>读取备份文件头出错！请选择正确的备份文件！</source>
        <extracomment>string 358</extracomment>
        <translation>Error reading backup file header!Please select the correct backup file!</translation>
    </message>
    <message>
        <source>备份文件格式错误！请选择正确的备份文件！</source>
        <extracomment>string 359</extracomment>
        <translation>Backup file format error!Please select the correct backup file!</translation>
    </message>
    <message>
        <source>恢复数据成功,请重启本软件!</source>
        <extracomment>string 360</extracomment>
        <translation>Recover data successfully, please restart this software!</translation>
    </message>
    <message>
        <source>过滤重复数据</source>
        <extracomment>string 363</extracomment>
        <translation>Filter repeat</translation>
    </message>
    <message>
        <source>取消过滤重复</source>
        <extracomment>string 365</extracomment>
        <translation>Cancel filter</translation>
    </message>
    <message>
        <source>版本号</source>
        <extracomment>string 366</extracomment>
        <translation>Version</translation>
    </message>
    <message>
        <source>关于 Keldrune(&amp;A)...</source>
        <extracomment>string 1101</extracomment>
        <translation>About Keldrune(&amp;A)...</translation>
    </message>
</context>
<context>
    <name>CDlgModifyLogPW</name>
    <message>
        <source>新密码:</source>
        <translation>New password:</translation>
    </message>
    <message>
        <source>确认新密码:</source>
        <translation>Confirm the new password:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>修改登录密码</source>
        <translation>Modify the login password</translation>
    </message>
    <message>
        <source>登录</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>管理员</source>
        <translation>Administrator</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
</context>
<context>
    <name>CDlgModiSerPWD</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>原密码:</source>
        <translation>Old password:</translation>
    </message>
    <message>
        <source>新密码:</source>
        <translation>New password:</translation>
    </message>
    <message>
        <source>确认新密码:</source>
        <translation>Confirm the new password:</translation>
    </message>
    <message>
        <source>修改序列号密码</source>
        <translation>Modify the account password</translation>
    </message>
</context>
<context>
    <name>CCorvelaneApp</name>
    <message>
        <source>程序无法启动：单实例锁或本地通道无法建立。
%1</source>
        <translation>The program cannot start: its single-instance lock or local channel cannot be set up.
%1</translation>
    </message>
</context>
<context>
    <name>ReceivedTraffic</name>
    <message>
        <source>正在处理互动短信...</source>
        <translation>Processing interactive messages...</translation>
    </message>
    <message>
        <source>正在处理自动回复...</source>
        <translation>Processing automatic replies...</translation>
    </message>
    <message>
        <source>正在处理自动转发...</source>
        <translation>Processing automatic forwarding...</translation>
    </message>
</context>
<context>
    <name>CCorvelaneDlg</name>
    <message>
        <source>主窗口将在后续版本中提供。</source>
        <translation>The main window comes in a later version.</translation>
    </message>
    <message>
        <source>%s 当前登录权限--%s</source>
        <translation>%s Current login rights--%s</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>管理员</source>
        <translation>Administrator</translation>
    </message>
    <message>
        <source>关于 Corvelane(&amp;A)...</source>
        <translation>About Corvelane(&amp;A)...</translation>
    </message>
    <message>
        <source>软件序列号</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>特服号</source>
        <translation>Service number</translation>
    </message>
    <message>
        <source>版本号</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>正在处理...</source>
        <translation>Processing...</translation>
    </message>
    <message>
        <source>%s 已经最小化到这里.</source>
        <translation>%s has been minimised to here.</translation>
    </message>
    <message>
        <source>温馨提示</source>
        <translation>Reminder</translation>
    </message>
    <message>
        <source>新建分组失败!</source>
        <translation>Creating the group failed!</translation>
    </message>
    <message>
        <source>删除分组失败!</source>
        <translation>Deleting the group failed!</translation>
    </message>
    <message>
        <source>重命名失败!</source>
        <translation>Renaming failed!</translation>
    </message>
    <message>
        <source>内容不能为空.</source>
        <translation>The content cannot be empty.</translation>
    </message>
    <message>
        <source>新建任务</source>
        <translation>New Task</translation>
    </message>
    <message>
        <source>发送短信</source>
        <translation>Send SMS</translation>
    </message>
    <message>
        <source>接收短信</source>
        <translation>Receive SMS</translation>
    </message>
    <message>
        <source>个性短信</source>
        <translation>Personality SMS</translation>
    </message>
    <message>
        <source>余额查询</source>
        <translation>Balance</translation>
    </message>
    <message>
        <source>网络电话</source>
        <translation>VOIP</translation>
    </message>
    <message>
        <source>网络硬盘</source>
        <translation>Network hard disk</translation>
    </message>
    <message>
        <source>网络管理</source>
        <translation>Network management</translation>
    </message>
    <message>
        <source>即时通讯</source>
        <translation>IM</translation>
    </message>
    <message>
        <source>发送邮件</source>
        <translation>Send E-mail</translation>
    </message>
    <message>
        <source>发送传真</source>
        <translation>Send fax</translation>
    </message>
    <message>
        <source>发送彩信</source>
        <translation>Send MMS</translation>
    </message>
    <message>
        <source>手机报</source>
        <translation>Mobile news</translation>
    </message>
    <message>
        <source>发送语音</source>
        <translation>Send voice</translation>
    </message>
    <message>
        <source>数据引擎</source>
        <translation>Data engine</translation>
    </message>
    <message>
        <source>网信管理</source>
        <translation>Net message management</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>视图</source>
        <translation>View</translation>
    </message>
    <message>
        <source>任务</source>
        <translation>Task</translation>
    </message>
    <message>
        <source>帐户管理</source>
        <translation>Account Management</translation>
    </message>
    <message>
        <source>短信</source>
        <translation>SMS</translation>
    </message>
    <message>
        <source>增值服务</source>
        <translation>Value-added services</translation>
    </message>
    <message>
        <source>数据管理</source>
        <translation>Data management</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>在线升级</source>
        <translation>Online upgrade</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>联系人</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>转换老客户端数据</source>
        <translation>Old client data conversion</translation>
    </message>
    <message>
        <source>任务管理</source>
        <translation>Task management</translation>
    </message>
    <message>
        <source>账户充值</source>
        <translation>Recharge</translation>
    </message>
    <message>
        <source>修改序列号密码</source>
        <translation>Change password</translation>
    </message>
    <message>
        <source>发送失败记录</source>
        <translation>Failure record</translation>
    </message>
    <message>
        <source>发送成功记录</source>
        <translation>Success record</translation>
    </message>
    <message>
        <source>短语库</source>
        <translation>SMS library</translation>
    </message>
    <message>
        <source>Excel短信</source>
        <translation>Excel SMS</translation>
    </message>
    <message>
        <source>互动短信</source>
        <translation>Interactive SMS</translation>
    </message>
    <message>
        <source>节日祝福语</source>
        <translation>Holiday Blessings</translation>
    </message>
    <message>
        <source>批量日期短信</source>
        <translation>The batch of date SMS</translation>
    </message>
    <message>
        <source>网信</source>
        <translation>Net message</translation>
    </message>
    <message>
        <source>收取邮件设置</source>
        <translation>The mail Settings</translation>
    </message>
    <message>
        <source>调查记录</source>
        <translation>Investigation records</translation>
    </message>
    <message>
        <source>个性彩信</source>
        <translation>Personality MMS</translation>
    </message>
    <message>
        <source>抽奖</source>
        <translation>Lottery</translation>
    </message>
    <message>
        <source>手机号归属地查询</source>
        <translation>Mobile phone number belongs to the query</translation>
    </message>
    <message>
        <source>数据库备份</source>
        <translation>Data backup</translation>
    </message>
    <message>
        <source>数据库压缩</source>
        <translation>Data compression</translation>
    </message>
    <message>
        <source>数据库恢复</source>
        <translation>Data recovery</translation>
    </message>
    <message>
        <source>数据分割</source>
        <translation>Data segmentation</translation>
    </message>
    <message>
        <source>修改登录密码</source>
        <translation>Modify the login password</translation>
    </message>
    <message>
        <source>操作员权限设置</source>
        <translation>Operator rights</translation>
    </message>
    <message>
        <source>系统设置</source>
        <translation>System Settings</translation>
    </message>
    <message>
        <source>网络设置</source>
        <translation>Network Settings</translation>
    </message>
    <message>
        <source>日期短信设置</source>
        <translation>Date of SMS Settings</translation>
    </message>
    <message>
        <source>安装Excel插件</source>
        <translation>Install the Excel add-in</translation>
    </message>
    <message>
        <source>删除Excel插件</source>
        <translation>Remove the Excel add-in</translation>
    </message>
    <message>
        <source>个性升级</source>
        <translation>Custom upgrade</translation>
    </message>
    <message>
        <source>英语</source>
        <translation>Chinese</translation>
    </message>
    <message>
        <source>责任声明</source>
        <translation>Disclaimer</translation>
    </message>
    <message>
        <source>使用指南</source>
        <translation>Use guide</translation>
    </message>
    <message>
        <source>常见问题解答</source>
        <translation>FAQ</translation>
    </message>
    <message>
        <source>在线修改意见</source>
        <translation>Online feedback</translation>
    </message>
    <message>
        <source>自助服务</source>
        <translation>Self-service</translation>
    </message>
    <message>
        <source>白名单提交</source>
        <translation>Submit whitelist</translation>
    </message>
    <message>
        <source>关于...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>Windows经典</source>
        <translation>Windows Classic</translation>
    </message>
    <message>
        <source>草稿箱</source>
        <translation>Draft box</translation>
    </message>
    <message>
        <source>已接收记录</source>
        <translation>Received records</translation>
    </message>
    <message>
        <source>任务列表</source>
        <translation>Task list</translation>
    </message>
    <message>
        <source>传真</source>
        <translation>Fax</translation>
    </message>
    <message>
        <source>邮件</source>
        <translation>E_mail</translation>
    </message>
    <message>
        <source>彩信</source>
        <translation>MMS</translation>
    </message>
    <message>
        <source>语音</source>
        <translation>Voice</translation>
    </message>
    <message>
        <source>增加分组</source>
        <translation>Add a group</translation>
    </message>
    <message>
        <source>删除分组</source>
        <translation>Delete group</translation>
    </message>
    <message>
        <source>重命名分组</source>
        <translation>Rename group</translation>
    </message>
    <message>
        <source>添加联系人</source>
        <translation>Add contact</translation>
    </message>
    <message>
        <source>导入联系人</source>
        <translation>Import contacts</translation>
    </message>
    <message>
        <source>分组管理</source>
        <translation>Group management</translation>
    </message>
    <message>
        <source>移动到组</source>
        <translation>Move to group</translation>
    </message>
    <message>
        <source>恢复数据失败！</source>
        <translation>Data recovery failed!</translation>
    </message>
    <message>
        <source>云端同步</source>
        <translation>Cloud synchronisation</translation>
    </message>
    <message>
        <source>本机数据覆盖云端数据</source>
        <translation>Overwrite cloud data with local data</translation>
    </message>
    <message>
        <source>云端数据覆盖本机数据</source>
        <translation>Overwrite local data with cloud data</translation>
    </message>
</context>
<context>
    <name>CloudCopy</name>
    <message>
        <source>读取原始数据库出错！</source>
        <translation>Error reading the original database!</translation>
    </message>
    <message>
        <source>上传失败！联系人数量不能超过100000 ！</source>
        <translation>Upload failed! The number of contacts cannot exceed 100000!</translation>
    </message>
    <message>
        <source>上传失败！通讯录数据过大，无法保存到云端。</source>
        <translation>Upload failed! The address book is too large to be saved to the cloud.</translation>
    </message>
    <message>
        <source>连接到服务器出错！</source>
        <translation>Error connecting to the server!</translation>
    </message>
</context>
<context>
    <name>CDlgNetSetting</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>服务器:</source>
        <translation>Server:</translation>
    </message>
    <message>
        <source>端口:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>用户名:</source>
        <translation>User name:</translation>
    </message>
    <message>
        <source>密码:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>保存网络设置失败!</source>
        <translation>Failed to save the network settings!</translation>
    </message>
    <message>
        <source>网络设置</source>
        <translation>Network Settings</translation>
    </message>
    <message>
        <source>服务器%d</source>
        <translation>Server %d</translation>
    </message>
    <message>
        <source>主地址</source>
        <translation>Main address</translation>
    </message>
    <message>
        <source>请选择服务器:</source>
        <translation>Select a server:</translation>
    </message>
    <message>
        <source>获取服务器</source>
        <translation>Get servers</translation>
    </message>
    <message>
        <source>测试速度</source>
        <translation>Test speed</translation>
    </message>
    <message>
        <source>使用代理服务器</source>
        <translation>Use a proxy server</translation>
    </message>
    <message>
        <source>测试连接</source>
        <translation>Test connection</translation>
    </message>
    <message>
        <source>注：正常情况下不建议手动选择服务器，只有在无法正常使用的时候才选择</source>
        <translation>Note: choosing a server by hand is not recommended; do so only when the program cannot work normally</translation>
    </message>
</context>
<context>
    <name>CDlgTestSpeed</name>
    <message>
        <source>保存网络设置失败!</source>
        <translation>Failed to save the network settings!</translation>
    </message>
    <message>
        <source>测试速度</source>
        <translation>Test speed</translation>
    </message>
    <message>
        <source>服务器</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>响应时间(重点)</source>
        <translation>Response time (main)</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>网络延时(参考)</source>
        <translation>Network delay (reference)</translation>
    </message>
    <message>
        <source>服务器%d</source>
        <translation>Server %d</translation>
    </message>
    <message>
        <source>主地址</source>
        <translation>Main address</translation>
    </message>
    <message>
        <source>测试中...</source>
        <translation>Testing...</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>Succeeded</translation>
    </message>
    <message>
        <source>超时</source>
        <translation>Timed out</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>最快</source>
        <translation>Fastest</translation>
    </message>
    <message>
        <source>开始测试</source>
        <translation>Start test</translation>
    </message>
    <message>
        <source>使用服务器</source>
        <translation>Use server</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>软件启动时不显示</source>
        <translation>Do not show at start-up</translation>
    </message>
</context>
<context>
    <name>CDlgSYSSetting</name>
    <message>
        <source>系统设置</source>
        <translation>System Settings</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>自动接收</source>
        <translation>Receive automatically</translation>
    </message>
    <message>
        <source>自动回复</source>
        <translation>Reply automatically</translation>
    </message>
    <message>
        <source>(最多70个字.已输入%d个,还剩余%d个.)</source>
        <translation>(At most 70 characters. %d entered, %d left.)</translation>
    </message>
    <message>
        <source>自动转发</source>
        <translation>Forward automatically</translation>
    </message>
    <message>
        <source>声音</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>生日    提前</source>
        <translation>Birthday    in advance</translation>
    </message>
    <message>
        <source>退出时不提示备份.</source>
        <translation>Do not ask for a backup on exit.</translation>
    </message>
    <message>
        <source>转发内容包含发送者的姓名</source>
        <translation>Include the sender's name when forwarding</translation>
    </message>
    <message>
        <source>自定义群发短信每批提交个数</source>
        <translation>Custom batch size for mass SMS</translation>
    </message>
    <message>
        <source>自定义个性短信每批提交个数</source>
        <translation>Custom batch size for personalised SMS</translation>
    </message>
    <message>
        <source>周六日不处理</source>
        <translation>Skip Saturdays and Sundays</translation>
    </message>
    <message>
        <source>启用前缀</source>
        <translation>Use a prefix</translation>
    </message>
    <message>
        <source>预览&gt;&gt;</source>
        <translation>Preview&gt;&gt;</translation>
    </message>
    <message>
        <source>到分组</source>
        <translation>To group</translation>
    </message>
    <message>
        <source>其它设置...</source>
        <translation>Other settings...</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>天</source>
        <translation>days</translation>
    </message>
    <message>
        <source>闪屏内容</source>
        <translation>Splash text</translation>
    </message>
    <message>
        <source>不处理时间段</source>
        <translation>No processing from</translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>自动处理</source>
        <translation>Automatic processing</translation>
    </message>
    <message>
        <source>批量提交</source>
        <translation>Batch sizes</translation>
    </message>
    <message>
        <source>拆分短信前缀</source>
        <translation>Prefix of split messages</translation>
    </message>
    <message>
        <source>扩展号分组</source>
        <translation>Groups of extension codes</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>不启用前缀时,拆分的长短信使用默认前缀[A/B].</source>
        <translation>Without a prefix, split long messages carry the default prefix [A/B].</translation>
    </message>
    <message>
        <source>声音文件(*.mp3;*.wav;*.avi;*.mid;*.wma;)|*.mp3;*.wav;*.avi;*.mid;*.wma;|</source>
        <translation>Sound files(*.mp3;*.wav;*.avi;*.mid;*.wma;)|*.mp3;*.wav;*.avi;*.mid;*.wma;|</translation>
    </message>
    <message>
        <source>设置文件无法写入:%1</source>
        <translation>The settings file cannot be written: %1</translation>
    </message>
</context>
<context>
    <name>CDlgOperatorRights</name>
    <message>
        <source>操作员权限设置</source>
        <translation>Operator rights</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>组管理和导出</source>
        <translation>Group management and export</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>修改序列号密码</source>
        <translation>Modify the account password</translation>
    </message>
    <message>
        <source>删除组</source>
        <translation>Delete groups</translation>
    </message>
    <message>
        <source>压缩数据库</source>
        <translation>Compress the database</translation>
    </message>
    <message>
        <source>备份数据库</source>
        <translation>Back up the database</translation>
    </message>
    <message>
        <source>恢复数据库</source>
        <translation>Restore the database</translation>
    </message>
    <message>
        <source>删除任务</source>
        <translation>Delete tasks</translation>
    </message>
    <message>
        <source>删除已接收记录</source>
        <translation>Delete received records</translation>
    </message>
    <message>
        <source>删除发送记录</source>
        <translation>Delete sent records</translation>
    </message>
    <message>
        <source>导出记录</source>
        <translation>Export records</translation>
    </message>
    <message>
        <source>隐藏部分号码内容</source>
        <translation>Hide part of the numbers</translation>
    </message>
    <message>
        <source>邮件群发</source>
        <translation>Mass e-mail</translation>
    </message>
    <message>
        <source>传真群发</source>
        <translation>Mass fax</translation>
    </message>
    <message>
        <source>语音短信</source>
        <translation>Voice messages</translation>
    </message>
    <message>
        <source>数据引擎</source>
        <translation>Data engine</translation>
    </message>
</context>
<context>
    <name>CDlgRecharge</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>充值成功.</source>
        <translation>Recharged successfully.</translation>
    </message>
    <message>
        <source>充值成功.

您当前账户可用条数为:%d</source>
        <translation>Recharged successfully.

Messages available in your account: %d</translation>
    </message>
    <message>
        <source>账户充值</source>
        <translation>Recharge</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>充值卡卡号:</source>
        <translation>Card number:</translation>
    </message>
    <message>
        <source>充值卡密码:</source>
        <translation>Card password:</translation>
    </message>
    <message>
        <source>请输入充值卡卡号和密码</source>
        <translation>Please enter the recharge card's number and password</translation>
    </message>
</context>
<context>
    <name>CDlgNetMGT</name>
    <message>
        <source>自助服务列表</source>
        <translation>Self-service list</translation>
    </message>
    <message>
        <source>管理后台</source>
        <translation>Administration</translation>
    </message>
    <message>
        <source>服务网站的页面在您的浏览器中打开。</source>
        <translation>The service's web pages open in your browser.</translation>
    </message>
    <message>
        <source>在浏览器中打开</source>
        <translation>Open in browser</translation>
    </message>
</context>
<context>
    <name>CDlgNetStore</name>
    <message>
        <source>网盘硬盘</source>
        <translation>Network hard disk</translation>
    </message>
    <message>
        <source>网络硬盘已在浏览器中打开。</source>
        <translation>The network disk has been opened in your browser.</translation>
    </message>
    <message>
        <source>无法打开网络硬盘页面。</source>
        <translation>The network disk page could not be opened.</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CDlgAbout</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>版权:</source>
        <translation>Copyright:</translation>
    </message>
    <message>
        <source>网址:</source>
        <translation>Website:</translation>
    </message>
    <message>
        <source>群发短信客户端</source>
        <translation>Mass messaging client</translation>
    </message>
    <message>
        <source>版权所有</source>
        <translation>All rights reserved</translation>
    </message>
    <message>
        <source>联系电话</source>
        <translation>Telephone</translation>
    </message>
    <message>
        <source>服务热线</source>
        <translation>Service hot line</translation>
    </message>
    <message>
        <source>全国免费电话</source>
        <translation>Nationwide free number</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CDlgResBook</name>
    <message>
        <source>语音短信信息安全责任书</source>
        <translation>Voice message information security agreement</translation>
    </message>
    <message>
        <source>使用本软件发送语音短信的用户承诺：遵守国家有关法律法规，不发送违法、骚扰、欺诈或侵犯他人权益的信息；只向同意接收的号码发送；对所发送信息的内容承担全部责任。</source>
        <translation>Users who send voice messages with this software undertake to obey the applicable laws and regulations; to send nothing unlawful, harassing or fraudulent and nothing that infringes the rights of others; to send only to numbers that agreed to receive messages; and to bear full responsibility for the content they send.</translation>
    </message>
</context>
<context>
    <name>CDlgAddressList</name>
    <message>
        <source>Microsoft Excel文件(*.xlsx)|*.xlsx||</source>
        <translation>Microsoft Excel files (*.xlsx)|*.xlsx||</translation>
    </message>
    <message>
        <source>2.选"联系人"或全不选时查询全部</source>
        <translation>2. Choosing "Contacts" or nothing searches everything</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>1.每次查询条件是所有输入(选择).</source>
        <translation>1. Each query uses everything entered (chosen).</translation>
    </message>
    <message>
        <source>联系人</source>
        <translation>Contacts</translation>
    </message>
    <message>
        <source>选择</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>所属分组</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>当前记录总数:</source>
        <translation>Total records:</translation>
    </message>
    <message>
        <source>当前选中数:</source>
        <translation>Selected:</translation>
    </message>
    <message>
        <source>大于</source>
        <translation>Greater than</translation>
    </message>
    <message>
        <source>小于</source>
        <translation>Less than</translation>
    </message>
    <message>
        <source>等于</source>
        <translation>Equal to</translation>
    </message>
    <message>
        <source>包含</source>
        <translation>Contains</translation>
    </message>
    <message>
        <source>不等于</source>
        <translation>Not equal to</translation>
    </message>
    <message>
        <source>大于或等于</source>
        <translation>Greater than or equal to</translation>
    </message>
    <message>
        <source>小于或等于</source>
        <translation>Less than or equal to</translation>
    </message>
    <message>
        <source>编号重排</source>
        <translation>Renumber</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>反选</source>
        <translation>Reverse selection</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>发送短信</source>
        <translation>Send SMS</translation>
    </message>
    <message>
        <source>生成拼音码</source>
        <translation>Generate pinyin</translation>
    </message>
    <message>
        <source>高级查询</source>
        <translation>Advanced query</translation>
    </message>
    <message>
        <source>显示/修改</source>
        <translation>Show/modify</translation>
    </message>
    <message>
        <source>多行选择</source>
        <translation>Multiple selection</translation>
    </message>
    <message>
        <source>行上全选</source>
        <translation>Select all above</translation>
    </message>
    <message>
        <source>行下全选</source>
        <translation>Select all below</translation>
    </message>
    <message>
        <source>行上全不选</source>
        <translation>Deselect all above</translation>
    </message>
    <message>
        <source>行下全不选</source>
        <translation>Deselect all below</translation>
    </message>
    <message>
        <source>(两)行间全选</source>
        <translation>Select all between (two) rows</translation>
    </message>
    <message>
        <source>全不选</source>
        <translation>Select none</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
</context>
<context>
    <name>CDlgAddField</name>
    <message>
        <source>自定义联系人属性</source>
        <translation>Custom contact properties</translation>
    </message>
    <message>
        <source>启用</source>
        <translation>Enabled</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>名称 (单击两次修改)</source>
        <translation>Name (click twice to edit)</translation>
    </message>
    <message>
        <source>文本</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>数字</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>是/否</source>
        <translation>Yes/No</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>保存字段设置失败</source>
        <translation>The field settings could not be saved</translation>
    </message>
</context>
<context>
    <name>CDlgAlterFieldOrder</name>
    <message>
        <source>修改字段显示</source>
        <translation>Modify the fields display</translation>
    </message>
    <message>
        <source>显示字段</source>
        <translation>Shown fields</translation>
    </message>
    <message>
        <source>隐藏字段</source>
        <translation>Hidden fields</translation>
    </message>
    <message>
        <source>上
移</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下
移</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>保存字段设置失败</source>
        <translation>The field settings could not be saved</translation>
    </message>
</context>
<context>
    <name>CDlgChooseGroup</name>
    <message>
        <source>将所选联系人复制到以下分组(请勾选)</source>
        <translation>Copy the selected contacts to these groups (tick them)</translation>
    </message>
    <message>
        <source>请选择要查询的联系人分组</source>
        <translation>Please choose the contact groups to search</translation>
    </message>
    <message>
        <source>将所选联系人移动到以下分组(请勾选)</source>
        <translation>Move the selected contacts to these groups (tick them)</translation>
    </message>
    <message>
        <source>联系人</source>
        <translation>Contacts</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>已成功将所选联系人复制到目标分组</source>
        <translation>The selected contacts have been copied to the target groups</translation>
    </message>
    <message>
        <source>已成功将所选联系人移动到目标分组</source>
        <translation>The selected contacts have been moved to the target group</translation>
    </message>
    <message>
        <source>未能将所选联系人复制到目标分组</source>
        <translation>The selected contacts could not be copied to the target groups</translation>
    </message>
    <message>
        <source>未能将所选联系人移动到目标分组</source>
        <translation>The selected contacts could not be moved to the target group</translation>
    </message>
    <message>
        <source>不能将分组移到它自己或它的下级分组之下</source>
        <translation>A group cannot be moved under itself or one of its subgroups</translation>
    </message>
    <message>
        <source>未能修改分组的上级分组</source>
        <translation>The parent group could not be changed</translation>
    </message>
</context>
<context>
    <name>CDlgExportGroup</name>
    <message>
        <source>选择组</source>
        <translation>Select group</translation>
    </message>
    <message>
        <source>请选择要导出的组    (全不选则导出全部)</source>
        <translation>Choose the groups to export    (none ticked exports all)</translation>
    </message>
    <message>
        <source>xls格式</source>
        <translation>xls format</translation>
    </message>
    <message>
        <source>(导出速度慢,一般不建议勾选)</source>
        <translation>(slow export, usually not advised)</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>联系人信息表</source>
        <translation>Contact information</translation>
    </message>
    <message>
        <source>CSV文件(*.csv)|*.csv||</source>
        <translation>CSV file(*.csv)|*.csv||</translation>
    </message>
    <message>
        <source>Microsoft Excel文件(*.xls;*.xlsx)|*.xls;*.xlsx||</source>
        <translation>Microsoft Excel file(*.xls;*.xlsx)|*.xls;*.xlsx||</translation>
    </message>
</context>
<context>
    <name>CDlgAddFaxNO</name>
    <message>
        <source>添加新传真号码</source>
        <translation>Add new fax number</translation>
    </message>
    <message>
        <source>格式如:  01088888888-808</source>
        <translation>Format:  01088888888-808</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDlgAddMailAddr</name>
    <message>
        <source>添加新邮件地址</source>
        <translation>Add email address</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDlgAddGroup</name>
    <message>
        <source>增加分组</source>
        <translation>Add a group</translation>
    </message>
    <message>
        <source>分组名称:</source>
        <translation>Group name:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDlgAddTelCode</name>
    <message>
        <source>添加新号码</source>
        <translation>Add new number</translation>
    </message>
    <message>
        <source>输入新号码    (注:每行输入一个手机号码)</source>
        <translation>Enter new numbers    (note: one mobile number per line)</translation>
    </message>
    <message>
        <source>添加至联系人</source>
        <translation>Add to contacts</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>SmsText</name>
    <message>
        <source>单条单字节长短信内容总长度不能超过1000</source>
        <translation>A single-byte long message may not exceed 1000 characters in total</translation>
    </message>
    <message>
        <source>单条长短信内容总长度不能超过500</source>
        <translation>A long message may not exceed 500 characters in total</translation>
    </message>
</context>
<context>
    <name>CDlgDataSplit</name>
    <message>
        <source>分割</source>
        <translation>Data segmentation</translation>
    </message>
    <message>
        <source>1.只处理发送成功记录和发送失败记录.</source>
        <translation>1. Only the success and failure records are processed.</translation>
    </message>
    <message>
        <source>2.分割后有利于提高运行速度.</source>
        <translation>2. Splitting the data makes the program faster.</translation>
    </message>
    <message>
        <source>分割</source>
        <comment>button</comment>
        <translation>Split</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDlgTelNumAttri</name>
    <message>
        <source>手机号归属地查询</source>
        <translation>Mobile phone number belongs to the query</translation>
    </message>
    <message>
        <source>手机号归属地查询地址未配置</source>
        <translation>The address of the number location page is not configured</translation>
    </message>
    <message>
        <source>无法打开网页</source>
        <translation>The web page cannot be opened</translation>
    </message>
</context>
<context>
    <name>CDlgContactFrame</name>
    <message>
        <source>共有记录数:</source>
        <translation>The total number record:</translation>
    </message>
    <message>
        <source>已选记录数:</source>
        <translation>The selected record number:</translation>
    </message>
    <message>
        <source>增加联系人(&amp;L)</source>
        <translation>Add contacts(&amp;L)</translation>
    </message>
    <message>
        <source>查询(&amp;Q)</source>
        <translation>Query(&amp;Q)</translation>
    </message>
    <message>
        <source>自定义联系人属性(&amp;W)</source>
        <translation>The custom contact properties(&amp;W)</translation>
    </message>
    <message>
        <source>修改字段显示(&amp;C)</source>
        <translation>Modify the fields display(&amp;C)</translation>
    </message>
    <message>
        <source>发送短信(&amp;G)</source>
        <translation>Send message(&amp;G)</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>反选</source>
        <translation>Reverse selection</translation>
    </message>
    <message>
        <source>显示/修改 (&amp;E)</source>
        <translation>Show/modify(&amp;E)</translation>
    </message>
    <message>
        <source>删除(&amp;D)</source>
        <translation>Delete(&amp;D)</translation>
    </message>
    <message>
        <source>过滤重复数据</source>
        <translation>Filter repeat</translation>
    </message>
    <message>
        <source>取消过滤重复</source>
        <translation>Cancel filter</translation>
    </message>
    <message>
        <source>选择</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>打开联系人</source>
        <translation>Open contact</translation>
    </message>
    <message>
        <source>组管理</source>
        <translation>Group management</translation>
    </message>
    <message>
        <source>复制到组</source>
        <translation>Copy to group</translation>
    </message>
    <message>
        <source>移动到组</source>
        <translation>Move to group</translation>
    </message>
    <message>
        <source>向所选联系人</source>
        <translation>To the selected contacts</translation>
    </message>
    <message>
        <source>发送短信</source>
        <translation>Send SMS</translation>
    </message>
    <message>
        <source>发送传真</source>
        <translation>Send fax</translation>
    </message>
    <message>
        <source>发送邮件</source>
        <translation>Send E-mail</translation>
    </message>
    <message>
        <source>发送彩信</source>
        <translation>Send MMS</translation>
    </message>
    <message>
        <source>发送语音</source>
        <translation>Send voice</translation>
    </message>
    <message>
        <source>删除所选联系人</source>
        <translation>Delete the selected contacts</translation>
    </message>
    <message>
        <source>过滤非法号码</source>
        <translation>Filter invalid numbers</translation>
    </message>
    <message>
        <source>多行选择(取消)</source>
        <translation>Multiple selection (clear)</translation>
    </message>
    <message>
        <source>行上全选</source>
        <translation>Select all above</translation>
    </message>
    <message>
        <source>行下全选</source>
        <translation>Select all below</translation>
    </message>
    <message>
        <source>行上全不选</source>
        <translation>Deselect all above</translation>
    </message>
    <message>
        <source>行下全不选</source>
        <translation>Deselect all below</translation>
    </message>
    <message>
        <source>(两)行间全选</source>
        <translation>Select all between (two) rows</translation>
    </message>
    <message>
        <source>全不选</source>
        <translation>Select none</translation>
    </message>
    <message>
        <source>将所选联系人置顶</source>
        <translation>Move the selected contacts to the top</translation>
    </message>
    <message>
        <source>上移</source>
        <translation>Move up</translation>
    </message>
    <message>
        <source>下移</source>
        <translation>Move down</translation>
    </message>
    <message>
        <source>删除非法号码%d个</source>
        <translation>%d invalid numbers deleted</translation>
    </message>
</context>
<context>
    <name>CDlgContactInfo</name>
    <message>
        <source>联系人信息</source>
        <translation>The contact information</translation>
    </message>
    <message>
        <source>自定义联系人属性</source>
        <translation>Custom contact properties</translation>
    </message>
    <message>
        <source>保存联系人信息失败</source>
        <translation>Saving the contact information failed</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDlgContactBase</name>
    <message>
        <source>姓名:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>男</source>
        <translation>Male</translation>
    </message>
    <message>
        <source>女</source>
        <translation>Female</translation>
    </message>
    <message>
        <source>性别:</source>
        <translation>Sex:</translation>
    </message>
    <message>
        <source>手机(小灵通):</source>
        <translation>Mobile (PHS):</translation>
    </message>
    <message>
        <source>生日:</source>
        <translation>Birthday:</translation>
    </message>
    <message>
        <source>自动发送短信</source>
        <translation>Send a message automatically</translation>
    </message>
    <message>
        <source>省份:</source>
        <translation>Province:</translation>
    </message>
    <message>
        <source>城市:</source>
        <translation>City:</translation>
    </message>
    <message>
        <source>行业:</source>
        <translation>Industry:</translation>
    </message>
    <message>
        <source>传真:</source>
        <translation>Fax:</translation>
    </message>
    <message>
        <source>分组:</source>
        <translation>Groups:</translation>
    </message>
    <message>
        <source>特殊日期:</source>
        <translation>Special date:</translation>
    </message>
    <message>
        <source>家庭电话:</source>
        <translation>Home phone:</translation>
    </message>
    <message>
        <source>住址:</source>
        <translation>Home address:</translation>
    </message>
    <message>
        <source>公司名称:</source>
        <translation>Company:</translation>
    </message>
    <message>
        <source>部门:</source>
        <translation>Department:</translation>
    </message>
    <message>
        <source>职务:</source>
        <translation>Position:</translation>
    </message>
    <message>
        <source>地址:</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>电话:</source>
        <translation>Phone:</translation>
    </message>
    <message>
        <source>备注:</source>
        <translation>Remarks:</translation>
    </message>
</context>
<context>
    <name>CDlgImportWND</name>
    <message>
        <source>导入联系人窗口</source>
        <translation>Import contacts</translation>
    </message>
    <message>
        <source>数据来源</source>
        <translation>The data source</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Instruction</translation>
    </message>
    <message>
        <source>1.如有日期字段,其内容格式最好为:yyyy-MM-dd.否则将影响部分查询功能.</source>
        <translation>1. Date fields are best written as yyyy-MM-dd; otherwise some queries do not work.</translation>
    </message>
    <message>
        <source>2.Excel的数据长度及字段标题应符合要求(标题不能含有回车符)</source>
        <translation>2. Spreadsheet data lengths and column titles must meet the requirements (no line breaks in titles)</translation>
    </message>
    <message>
        <source>3.htm,html,txt格式只提取手机号</source>
        <translation>3. From htm, html and txt files only mobile numbers are taken</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>数据库</source>
        <translation>The database</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>browse...</translation>
    </message>
    <message>
        <source>表单名称</source>
        <translation>sheet name</translation>
    </message>
    <message>
        <source>表名</source>
        <translation>Table name</translation>
    </message>
    <message>
        <source>格式化日期</source>
        <translation>Formatting date</translation>
    </message>
    <message>
        <source>（将日期格式化成yyyy-MM-dd的格式,例如2012-10-19.）</source>
        <translation>(formats dates as yyyy-MM-dd, for example 2012-10-19.)</translation>
    </message>
    <message>
        <source>当导入的数据量大时选中此项速度会快很多</source>
        <translation>Tick this to import large amounts of data much faster</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next step</translation>
    </message>
    <message>
        <source>所有文件(*.xls,*.xlsx,*.txt,*.csv,*.htm,*.html)|*.xls;*.xlsx;*.txt;*.csv;*.htm;*.html|Microsoft Excel文件(*.xls,*.xlsx)|*.xls;*.xlsx;|文本文件(*.txt)|*.txt;|CSV文件(*.csv)|*.csv;|网页文件(*.htm,*.html)|*.htm;*.html;||</source>
        <translation>All files(*.xls,*.xlsx,*.txt,*.csv,*.htm,*.html)|*.xls;*.xlsx;*.txt;*.csv;*.htm;*.html|Microsoft Excel files(*.xls,*.xlsx)|*.xls;*.xlsx;|Text files(*.txt)|*.txt;|CSV files(*.csv)|*.csv;|Web pages(*.htm,*.html)|*.htm;*.html;||</translation>
    </message>
    <message>
        <source>无法读取该表格文件,无法导入!</source>
        <translation>The spreadsheet file cannot be read; it cannot be imported!</translation>
    </message>
    <message>
        <source>打开文件失败</source>
        <translation>Failed to open the file</translation>
    </message>
    <message>
        <source>不支持UTF-16编码的文件,请另存为UTF-8或ANSI编码后再导入.</source>
        <translation>UTF-16 files are not supported; save the file as UTF-8 or ANSI and import it again.</translation>
    </message>
    <message>
        <source>无法读取文件的列名.</source>
        <translation>The column names of the file cannot be read.</translation>
    </message>
    <message>
        <source>连接数据库异常!&#xd;&#xa;错误信息:%s</source>
        <translation>Database connection error!&#xd;&#xa;Error message:%s</translation>
    </message>
</context>
<context>
    <name>CDlgImport2</name>
    <message>
        <source>导入联系人窗口</source>
        <translation>Import contacts</translation>
    </message>
    <message>
        <source>联系人分组：</source>
        <translation>The contact group:</translation>
    </message>
    <message>
        <source>(按所选字段自动分组,若不需要自动分组,请勿选.)</source>
        <translation>(Groups the contacts by the chosen column; leave it empty for no automatic grouping.)</translation>
    </message>
    <message>
        <source>上一步</source>
        <translation>Last step</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next step</translation>
    </message>
</context>
<context>
    <name>CDlgImport3</name>
    <message>
        <source>导入联系人窗口</source>
        <translation>Import contacts</translation>
    </message>
    <message>
        <source>请选择所要加入的组</source>
        <translation>Please select a group</translation>
    </message>
    <message>
        <source>上一步</source>
        <translation>Last step</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Ok</translation>
    </message>
</context>
<context>
    <name>CDlgImportField</name>
    <message>
        <source>*手机或小灵通</source>
        <translation>*Mobile or PHS</translation>
    </message>
</context>
<context>
    <name>ContactImport</name>
    <message>
        <source>文件共%d条记录,此次导入成功%d条,失败%d条</source>
        <translation>The file holds %d records: %d imported, %d failed</translation>
    </message>
    <message>
        <source>源数据共%d条记录,此次导入成功%d条,失败%d条</source>
        <translation>The source holds %d records: %d imported, %d failed</translation>
    </message>
    <message>
        <source>打开文件失败</source>
        <translation>Failed to open the file</translation>
    </message>
    <message>
        <source>读取文件失败</source>
        <translation>Failed to read the file</translation>
    </message>
    <message>
        <source>写入数据库失败</source>
        <translation>Failed to write to the database</translation>
    </message>
    <message>
        <source>本次没有导入任何联系人。</source>
        <translation>No contacts were imported.</translation>
    </message>
    <message>
        <source>不支持UTF-16编码的文件,请另存为UTF-8或ANSI编码后再导入.</source>
        <translation>UTF-16 files are not supported. Save the file as UTF-8 or ANSI and import it again.</translation>
    </message>
    <message>
        <source>连接数据库失败!</source>
        <translation>Failed to connect to the database!</translation>
    </message>
    <message>
        <source>连接数据库异常!&#xd;&#xa;错误信息:%s</source>
        <translation>Database connection error!&#xd;&#xa;Error message:%s</translation>
    </message>
</context>
<context>
    <name>CDlgOdbcSource</name>
    <message>
        <source>选择数据源</source>
        <translation>Choose a data source</translation>
    </message>
    <message>
        <source>数据源:</source>
        <translation>Data source:</translation>
    </message>
    <message>
        <source>驱动程序:</source>
        <translation>Driver:</translation>
    </message>
    <message>
        <source>数据库文件:</source>
        <translation>Database file:</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>连接字符串:</source>
        <translation>Connection string:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>所有文件(*.*)|*.*||</source>
        <translation>All files(*.*)|*.*||</translation>
    </message>
    <message>
        <source>连接数据库失败!</source>
        <translation>Failed to connect to the database!</translation>
    </message>
</context>
<context>
    <name>CDlgExportGroup</name>
    <message>
        <source>选择组</source>
        <translation>Select group</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>请选择要导出的组    (全不选则导出全部)</source>
        <translation>Choose the groups to export    (none exports everything)</translation>
    </message>
    <message>
        <source>(导出速度慢,一般不建议勾选)</source>
        <translation>(slow export; usually not recommended)</translation>
    </message>
    <message>
        <source>xls格式</source>
        <translation>xls format</translation>
    </message>
</context>
<context>
    <name>CDlgSendSMS</name>
    <message>
        <source>添加新号码(&amp;A)</source>
        <translation>Add number(&amp;A)</translation>
    </message>
    <message>
        <source>增加接收人(&amp;D)</source>
        <translation>Choose number(&amp;D)</translation>
    </message>
    <message>
        <source>调用短语库(&amp;L)</source>
        <translation>Call the SMS library(&amp;L)</translation>
    </message>
    <message>
        <source>加入短语库(&amp;I)</source>
        <translation>Add the SMS library(&amp;I)</translation>
    </message>
    <message>
        <source>节日祝福语(&amp;F)</source>
        <translation>Holiday(&amp;F)</translation>
    </message>
    <message>
        <source>余额查询(&amp;M)</source>
        <translation>Balance enquiry(&amp;M)</translation>
    </message>
    <message>
        <source>通道测试(&amp;R)</source>
        <translation>Channel test(&amp;R)</translation>
    </message>
    <message>
        <source>签名短信</source>
        <translation>Signed message</translation>
    </message>
    <message>
        <source>不签名短信</source>
        <translation>Don't sign messages</translation>
    </message>
    <message>
        <source>长短信  (超过70个字则按67字/条扣费)</source>
        <translation>Long message</translation>
    </message>
    <message>
        <source>保存到草稿箱(&amp;S)</source>
        <translation>Save to draft(&amp;S)</translation>
    </message>
    <message>
        <source>定时发送(&amp;T)</source>
        <translation>Timing send(&amp;T)</translation>
    </message>
    <message>
        <source>确定(&amp;O)</source>
        <translation>OK(&amp;O)</translation>
    </message>
    <message>
        <source>立即发送(&amp;N)</source>
        <translation>Immediately send(&amp;N)</translation>
    </message>
    <message>
        <source>取消(&amp;C)</source>
        <translation>Cancel(&amp;C)</translation>
    </message>
    <message>
        <source>导入文本号码</source>
        <translation>Import text number</translation>
    </message>
    <message>
        <source>发送韩文短信内容</source>
        <translation>Send Korean text messages</translation>
    </message>
    <message>
        <source>发送短信后继续以语音方式发送</source>
        <translation>Continue to voice sending after send text messages</translation>
    </message>
    <message>
        <source>手机或小灵通</source>
        <translation>Mobile or PHS</translation>
    </message>
    <message>
        <source>联系人</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>号码列表 共 %d 条记录</source>
        <translation>Number list: %d records</translation>
    </message>
    <message>
        <source>企业签名</source>
        <translation>Company signature</translation>
    </message>
    <message>
        <source>%d 条</source>
        <translation>%d msgs</translation>
    </message>
    <message>
        <source>短信归属:</source>
        <translation>Message owner:</translation>
    </message>
    <message>
        <source>网信主题:</source>
        <translation>Net message title:</translation>
    </message>
    <message>
        <source>(20-10000)分钟后结束.</source>
        <translation>Ends after (20-10000) minutes.</translation>
    </message>
    <message>
        <source>短信尾部加入回复提示:</source>
        <translation>Add a reply hint at the end:</translation>
    </message>
    <message>
        <source>(请回复Y或N)</source>
        <translation>(Please reply Y or N)</translation>
    </message>
    <message>
        <source>发送短信调查</source>
        <translation>Send an SMS survey</translation>
    </message>
    <message>
        <source>移出发送列表</source>
        <translation>Remove from the send list</translation>
    </message>
    <message>
        <source>清空列表</source>
        <translation>Empty the list</translation>
    </message>
    <message>
        <source>保存联系人</source>
        <translation>Save as contact</translation>
    </message>
    <message>
        <source>过滤小灵通号码</source>
        <translation>Filter PHS numbers</translation>
    </message>
    <message>
        <source>发送短信</source>
        <translation>Send SMS</translation>
    </message>
    <message>
        <source>插入字段:</source>
        <translation>Insert field:</translation>
    </message>
    <message>
        <source>字数:</source>
        <translation>Characters:</translation>
    </message>
    <message>
        <source>每个号码扣费:</source>
        <translation>Per number:</translation>
    </message>
    <message>
        <source>每个国际号码扣费:</source>
        <translation>Per international number:</translation>
    </message>
    <message>
        <source>合计:</source>
        <translation>Total:</translation>
    </message>
    <message>
        <source>文本文件(*.txt)|*.txt;|</source>
        <translation>Text files(*.txt)|*.txt;|</translation>
    </message>
    <message>
        <source>打开文件失败</source>
        <translation>Failed to open the file</translation>
    </message>
    <message>
        <source>有效分钟数只能在20-10000之间.</source>
        <translation>The valid minutes must lie between 20 and 10000.</translation>
    </message>
    <message>
        <source>号码列表条数不能超过20.</source>
        <translation>The number list may not hold more than 20 numbers.</translation>
    </message>
    <message>
        <source>您好！感谢您使用</source>
        <translation>Hello! Thank you for using </translation>
    </message>
    <message>
        <source>。本条短信为测试通道短信。您的正式短信因运营商规定需要人工审核。谢谢！</source>
        <translation>. This is a channel test message. Your real messages are checked by hand as the carriers require. Thank you!</translation>
    </message>
    <message>
        <source>请输入短信归属！</source>
        <translation>Please enter who the SMS is charged to!</translation>
    </message>
    <message>
        <source>保存草稿失败</source>
        <translation>Failed to save the draft</translation>
    </message>
    <message>
        <source>是否再以语音方式发送?</source>
        <translation>Send it again as a voice message?</translation>
    </message>
</context>
<context>
    <name>CDlgPerMSG</name>
    <message>
        <source>个性短信</source>
        <translation>Personality SMS</translation>
    </message>
    <message>
        <source>导入Excel</source>
        <translation>Import Excel</translation>
    </message>
    <message>
        <source>编辑内容</source>
        <translation>Edit content</translation>
    </message>
    <message>
        <source>清空列表</source>
        <translation>Empty the list</translation>
    </message>
    <message>
        <source>定时发送</source>
        <translation>Timing send</translation>
    </message>
    <message>
        <source>立即发送</source>
        <translation>Immediately send</translation>
    </message>
    <message>
        <source>立即提交</source>
        <translation>Submit now</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>手机号</source>
        <translation>Mobile number</translation>
    </message>
    <message>
        <source>短信内容</source>
        <translation>Message content</translation>
    </message>
    <message>
        <source>发送时间</source>
        <translation>Send time</translation>
    </message>
    <message>
        <source>确定发送?</source>
        <extracomment>whole sentence</extracomment>
        <translation>Send now?</translation>
    </message>
    <message>
        <source>确定提交?</source>
        <extracomment>whole sentence</extracomment>
        <translation>Submit now?</translation>
    </message>
    <message>
        <source>发送成功</source>
        <extracomment>whole sentence</extracomment>
        <translation>Sent successfully</translation>
    </message>
    <message>
        <source>提交成功</source>
        <extracomment>whole sentence</extracomment>
        <translation>Submitted successfully</translation>
    </message>
    <message>
        <source>部分发送失败，请到失败记录里重新发送</source>
        <extracomment>whole sentence</extracomment>
        <translation>Some messages failed to send; please send them again from the failure records</translation>
    </message>
    <message>
        <source>部分提交失败，请到失败记录里重新提交</source>
        <extracomment>whole sentence</extracomment>
        <translation>Some messages failed to submit; please submit them again from the failure records</translation>
    </message>
</context>
<context>
    <name>CDlgPerMSGImport</name>
    <message>
        <source>Excel数据导入窗口</source>
        <translation>Excel data import window</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>表单名称</source>
        <translation>Sheet name</translation>
    </message>
    <message>
        <source>(不输入则默认为逗号)</source>
        <translation>(empty means a comma)</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next step</translation>
    </message>
    <message>
        <source>分隔符:</source>
        <translation>Separator:</translation>
    </message>
    <message>
        <source>Microsoft Excel文件(*.xls,*.xlsx,*.csv)|*.xls;*.xlsx;*.csv;|</source>
        <translation>Microsoft Excel files(*.xls,*.xlsx,*.csv)|*.xls;*.xlsx;*.csv;|</translation>
    </message>
</context>
<context>
    <name>CDlgPerMSGImport1</name>
    <message>
        <source>Excel数据导入窗口</source>
        <translation>Excel data import window</translation>
    </message>
    <message>
        <source>NULL字段名为空</source>
        <translation>NULL (empty column name)</translation>
    </message>
    <message>
        <source>全部字段</source>
        <translation>All fields</translation>
    </message>
    <message>
        <source>插入字段:</source>
        <translation>Insert the fields:</translation>
    </message>
    <message>
        <source>签名短信</source>
        <translation>Signature</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>上一步</source>
        <translation>Last step</translation>
    </message>
    <message>
        <source>手机号所在列:</source>
        <translation>Mobile number column:</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDlgMsgLib</name>
    <message>
        <source>短语库</source>
        <translation>SMS library</translation>
    </message>
    <message>
        <source>常用短语</source>
        <translation>Common phrases</translation>
    </message>
    <message>
        <source>自定义分组</source>
        <translation>Custom groups</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>短语内容</source>
        <translation>Phrase</translation>
    </message>
    <message>
        <source>创建时间</source>
        <translation>Created</translation>
    </message>
    <message>
        <source>当前共有条数: %d</source>
        <translation>Phrases: %d</translation>
    </message>
    <message>
        <source>保存(&amp;S)</source>
        <translation>Save(&amp;S)</translation>
    </message>
    <message>
        <source>删除(&amp;D)</source>
        <translation>Delete(&amp;D)</translation>
    </message>
    <message>
        <source>自定义名称</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>选择(&amp;O)</source>
        <translation>Select(&amp;O)</translation>
    </message>
    <message>
        <source>退出(&amp;E)</source>
        <translation>Exit(&amp;E)</translation>
    </message>
</context>
<context>
    <name>CDlgInteractiveMSG</name>
    <message>
        <source>互动短信</source>
        <translation>Interactive message</translation>
    </message>
    <message>
        <source>短信内容</source>
        <translation>Message content</translation>
    </message>
    <message>
        <source>查询字段</source>
        <translation>Query field</translation>
    </message>
    <message>
        <source>大于</source>
        <translation>Greater than</translation>
    </message>
    <message>
        <source>小于</source>
        <translation>Less than</translation>
    </message>
    <message>
        <source>等于</source>
        <translation>Equal to</translation>
    </message>
    <message>
        <source>包含</source>
        <translation>Contains</translation>
    </message>
    <message>
        <source>不等于</source>
        <translation>Not equal to</translation>
    </message>
    <message>
        <source>开始于</source>
        <translation>Starts with</translation>
    </message>
    <message>
        <source>条件</source>
        <translation>Condition</translation>
    </message>
    <message>
        <source>查询内容</source>
        <translation>Query content</translation>
    </message>
    <message>
        <source>关系</source>
        <translation>Relation</translation>
    </message>
    <message>
        <source>并且</source>
        <translation>And</translation>
    </message>
    <message>
        <source>插入字段:</source>
        <translation>Insert the fields:</translation>
    </message>
    <message>
        <source>退订代码:</source>
        <translation>Unsubscribe code:</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>全部删除</source>
        <translation>Delete all</translation>
    </message>
    <message>
        <source>保存条件</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>打开条件</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Save failed</translation>
    </message>
</context>
<context>
    <name>CDlgCondi</name>
    <message>
        <source>设置查询条件名称</source>
        <translation>Set the name query conditions</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>条件名称:</source>
        <translation>Condition name:</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDlgCondiList</name>
    <message>
        <source>查询条件名称列表</source>
        <translation>Name list of query conditions</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDlgMsgRecord</name>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>高级查询</source>
        <translation>Advanced query</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>发送调查记录</source>
        <translation>Send survey records</translation>
    </message>
    <message>
        <source>转发</source>
        <translation>Transpond</translation>
    </message>
    <message>
        <source>重发</source>
        <translation>Resend</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>个性重发</source>
        <translation>PerSMS resend</translation>
    </message>
    <message>
        <source>统计</source>
        <translation>Statistical</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message>
        <source>到</source>
        <translation>To</translation>
    </message>
    <message>
        <source>短信内容</source>
        <translation>Message content</translation>
    </message>
    <message>
        <source>发送时间</source>
        <translation>Send time</translation>
    </message>
    <message>
        <source>定时发送时间</source>
        <translation>Scheduled time</translation>
    </message>
    <message>
        <source>条数</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>手机</source>
        <translation>Mobile</translation>
    </message>
    <message>
        <source>传真号码</source>
        <translation>Fax number</translation>
    </message>
    <message>
        <source>邮件地址</source>
        <translation>E-mail address</translation>
    </message>
    <message>
        <source>发送状态</source>
        <translation>Send status</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>回复内容</source>
        <translation>Reply</translation>
    </message>
    <message>
        <source>草稿</source>
        <translation>Draft</translation>
    </message>
    <message>
        <source>发送失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>发送成功</source>
        <translation>Sent successfully</translation>
    </message>
    <message>
        <source>调查</source>
        <translation>Survey</translation>
    </message>
    <message>
        <source>记录条数:</source>
        <translation> records:</translation>
    </message>
    <message>
        <source>条数合计:</source>
        <translation>Messages in total:</translation>
    </message>
    <message>
        <source>    条数合计</source>
        <translation>    Messages in total</translation>
    </message>
    <message>
        <source>合计</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>删除全部记录</source>
        <translation>Delete all records</translation>
    </message>
    <message>
        <source>短信草稿记录</source>
        <translation>SMS drafts</translation>
    </message>
    <message>
        <source>短信失败记录</source>
        <translation>SMS failed records</translation>
    </message>
    <message>
        <source>短信成功记录</source>
        <translation>SMS sent records</translation>
    </message>
    <message>
        <source>传真草稿记录</source>
        <translation>Fax drafts</translation>
    </message>
    <message>
        <source>传真失败记录</source>
        <translation>Fax failed records</translation>
    </message>
    <message>
        <source>传真成功记录</source>
        <translation>Fax sent records</translation>
    </message>
    <message>
        <source>邮件草稿记录</source>
        <translation>E-mail drafts</translation>
    </message>
    <message>
        <source>邮件失败记录</source>
        <translation>E-mail failed records</translation>
    </message>
    <message>
        <source>邮件成功记录</source>
        <translation>E-mail sent records</translation>
    </message>
    <message>
        <source>彩信草稿记录</source>
        <translation>MMS drafts</translation>
    </message>
    <message>
        <source>彩信失败记录</source>
        <translation>MMS failed records</translation>
    </message>
    <message>
        <source>彩信成功记录</source>
        <translation>MMS sent records</translation>
    </message>
    <message>
        <source>语音草稿记录</source>
        <translation>Voice drafts</translation>
    </message>
    <message>
        <source>语音失败记录</source>
        <translation>Voice failed records</translation>
    </message>
    <message>
        <source>语音成功记录</source>
        <translation>Voice sent records</translation>
    </message>
    <message>
        <source>调查记录</source>
        <translation>Survey records</translation>
    </message>
    <message>
        <source>传真文件</source>
        <translation>Fax file</translation>
    </message>
    <message>
        <source>主题</source>
        <translation>Subject</translation>
    </message>
    <message>
        <source>号码</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>发送成功记录条数:</source>
        <translation>Sent records:</translation>
    </message>
    <message>
        <source>没回复条数: %1&#xd;&#xa;&#xd;&#xa;======================================&#xd;&#xa;%2</source>
        <translation>No reply: %1&#xd;&#xa;&#xd;&#xa;======================================&#xd;&#xa;%2</translation>
    </message>
    <message>
        <source>正在处理...</source>
        <translation>Processing...</translation>
    </message>
    <message>
        <source>Microsoft Excel文件(*.xlsx)|*.xlsx||</source>
        <translation>Microsoft Excel file(*.xlsx)|*.xlsx||</translation>
    </message>
    <message>
        <source>Excel组件存在问题，导出失败。将导出csv格式文件</source>
        <translation>The Excel component has a problem and the export failed. A CSV file will be exported instead</translation>
    </message>
    <message>
        <source>CSV文件(*.csv)|*.csv||</source>
        <translation>CSV file(*.csv)|*.csv||</translation>
    </message>
    <message>
        <source>导出记录失败</source>
        <translation>Failed to export the records</translation>
    </message>
    <message>
        <source>号码列表</source>
        <translation>Number list</translation>
    </message>
    <message>
        <source>相应的回复记录</source>
        <translation>The corresponding replies</translation>
    </message>
</context>
<context>
    <name>CDlgMsgRecord1Received</name>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>高级查询</source>
        <translation>Advanced query</translation>
    </message>
    <message>
        <source>转发</source>
        <translation>Transpond</translation>
    </message>
    <message>
        <source>回复</source>
        <translation>Reply</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>互动短信</source>
        <translation>Interactive SMS</translation>
    </message>
    <message>
        <source>显示全部推送</source>
        <translation>Show all</translation>
    </message>
    <message>
        <source>显示条件推送</source>
        <translation>According to the condition</translation>
    </message>
    <message>
        <source>接收记录总条数为:</source>
        <translation>Received records in total:</translation>
    </message>
    <message>
        <source>已读</source>
        <translation>Read</translation>
    </message>
    <message>
        <source> 姓名</source>
        <translation> Name</translation>
    </message>
    <message>
        <source>手机或小灵通</source>
        <translation>Mobile or PHS</translation>
    </message>
    <message>
        <source>短信内容</source>
        <translation>Message content</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company name</translation>
    </message>
    <message>
        <source>发送时间</source>
        <translation>Send time</translation>
    </message>
    <message>
        <source>保存联系人</source>
        <translation>Save as contact</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message>
        <source>到</source>
        <translation>To</translation>
    </message>
    <message>
        <source>Microsoft Excel文件(*.xlsx)|*.xlsx||</source>
        <translation>Microsoft Excel files (*.xlsx)|*.xlsx||</translation>
    </message>
    <message>
        <source>Excel组件存在问题，导出失败。将导出csv格式文件</source>
        <translation>The spreadsheet could not be written; the records will be exported as a CSV file</translation>
    </message>
    <message>
        <source>CSV文件(*.csv)|*.csv||</source>
        <translation>CSV files (*.csv)|*.csv||</translation>
    </message>
    <message>
        <source>导出记录失败</source>
        <translation>Cannot export the records</translation>
    </message>
</context>
<context>
    <name>DlgSeekNum</name>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>手机</source>
        <translation>Mobile</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>定位到所查询的记录 (建议号码多的时候不选)</source>
        <translation>Go to the record found (better off for many numbers)</translation>
    </message>
    <message>
        <source>查找</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>查询结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>DlgRelevantReplySMS</name>
    <message>
        <source>相应的回复记录</source>
        <translation>The corresponding reply</translation>
    </message>
    <message>
        <source>已读</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>手机或小灵通</source>
        <translation>Mobile or PHS</translation>
    </message>
    <message>
        <source>短信内容</source>
        <translation>Message content</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company name</translation>
    </message>
    <message>
        <source>发送时间</source>
        <translation>Send time</translation>
    </message>
    <message>
        <source>性别</source>
        <translation>Sex</translation>
    </message>
    <message>
        <source>生日</source>
        <translation>Birthday</translation>
    </message>
    <message>
        <source>特殊日期</source>
        <translation>Special date</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>家庭电话</source>
        <translation>Home phone</translation>
    </message>
    <message>
        <source>住址</source>
        <translation>Home address</translation>
    </message>
    <message>
        <source>部门</source>
        <translation>Department</translation>
    </message>
    <message>
        <source>职务</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>省份</source>
        <translation>Province</translation>
    </message>
    <message>
        <source>城市</source>
        <translation>City</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>行业</source>
        <translation>Industry</translation>
    </message>
    <message>
        <source>电话</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>传真</source>
        <translation>Fax</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Remarks</translation>
    </message>
    <message>
        <source>Microsoft Excel文件(*.xlsx)|*.xlsx||</source>
        <translation>Microsoft Excel files (*.xlsx)|*.xlsx||</translation>
    </message>
    <message>
        <source>导出记录失败</source>
        <translation>Cannot export the records</translation>
    </message>
</context>
<context>
    <name>CDlgSeniorQuery</name>
    <message>
        <source>高级查询</source>
        <translation>Advanced query</translation>
    </message>
    <message>
        <source>查询字段</source>
        <translation>Query field</translation>
    </message>
    <message>
        <source>大于</source>
        <translation>Greater than</translation>
    </message>
    <message>
        <source>小于</source>
        <translation>Less than</translation>
    </message>
    <message>
        <source>等于</source>
        <translation>Equal to</translation>
    </message>
    <message>
        <source>包含</source>
        <translation>Contains</translation>
    </message>
    <message>
        <source>不等于</source>
        <translation>Not equal to</translation>
    </message>
    <message>
        <source>大于或等于</source>
        <translation>Greater than or equal to</translation>
    </message>
    <message>
        <source>小于或等于</source>
        <translation>Less than or equal to</translation>
    </message>
    <message>
        <source>条件</source>
        <translation>Condition</translation>
    </message>
    <message>
        <source>查询内容</source>
        <translation>Query content</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>且(AND)</source>
        <translation>AND</translation>
    </message>
    <message>
        <source>或(OR)</source>
        <translation>OR</translation>
    </message>
    <message>
        <source>关系</source>
        <translation>Relation</translation>
    </message>
    <message>
        <source>并且</source>
        <translation>And</translation>
    </message>
    <message>
        <source>或者</source>
        <translation>Or</translation>
    </message>
    <message>
        <source>查询条件</source>
        <translation>Query conditions</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>全部删除</source>
        <translation>Delete all</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>保存条件</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>手机或小灵通</source>
        <translation>Mobile or PHS</translation>
    </message>
    <message>
        <source>短信内容</source>
        <translation>SMS content</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company name</translation>
    </message>
    <message>
        <source>发送时间</source>
        <translation>Send time</translation>
    </message>
</context>
<context>
    <name>CDlgTask</name>
    <message>
        <source>任务名称</source>
        <translation>Task name</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>创建时间</source>
        <translation>Created</translation>
    </message>
    <message>
        <source>任务描述</source>
        <translation>Task description</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>任务时间</source>
        <translation>Task time</translation>
    </message>
    <message>
        <source>当前任务数:</source>
        <translation>The current task number:</translation>
    </message>
    <message>
        <source>明细条数:</source>
        <translation>Details of the number:</translation>
    </message>
    <message>
        <source>修改(&amp;E)</source>
        <translation>Modify(&amp;E)</translation>
    </message>
    <message>
        <source>新建任务(&amp;N)</source>
        <translation>New Task(&amp;N)</translation>
    </message>
    <message>
        <source>删除(&amp;D)</source>
        <translation>Delete(&amp;D)</translation>
    </message>
    <message>
        <source>标记完成</source>
        <translation>Mark completed</translation>
    </message>
    <message>
        <source>只能针对选定的一条记录进行此操作</source>
        <translation>Only selected a record for this operation</translation>
    </message>
</context>
<context>
    <name>CDlgTaskTip</name>
    <message>
        <source>任务界面提醒</source>
        <translation>Task interface to remind</translation>
    </message>
    <message>
        <source>任务名称</source>
        <translation>Task name</translation>
    </message>
    <message>
        <source>最近一次运行时间</source>
        <translation>Next run time</translation>
    </message>
    <message>
        <source>查看任务</source>
        <translation>View the task</translation>
    </message>
    <message>
        <source>标记完成</source>
        <translation>Mark completed</translation>
    </message>
</context>
<context>
    <name>CDlgTipWnd</name>
    <message>
        <source>节日/生日</source>
        <translation>Holiday/birthday</translation>
    </message>
    <message>
        <source>生日</source>
        <translation>Birthday</translation>
    </message>
    <message>
        <source>节日名称</source>
        <translation>Holiday</translation>
    </message>
    <message>
        <source>节日日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>手机号码</source>
        <translation>Mobile number</translation>
    </message>
    <message>
        <source>发送短信</source>
        <translation>Send SMS</translation>
    </message>
    <message>
        <source>查看联系人</source>
        <translation>View contact</translation>
    </message>
    <message>
        <source>节日</source>
        <translation>Holiday</translation>
    </message>
</context>
<context>
    <name>CDlgHoliday</name>
    <message>
        <source>节假日</source>
        <translation>Holidays</translation>
    </message>
    <message>
        <source>公历</source>
        <translation>Gregorian calendar</translation>
    </message>
    <message>
        <source>农历</source>
        <translation>lunar calendar</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>月</source>
        <translation>Month</translation>
    </message>
    <message>
        <source>日</source>
        <translation>Day</translation>
    </message>
    <message>
        <source>节日名称</source>
        <translation>Holiday</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Content</translation>
    </message>
    <message>
        <source>设置界面提醒</source>
        <translation>Set the interface to remind</translation>
    </message>
    <message>
        <source>提前</source>
        <translation>In advance</translation>
    </message>
    <message>
        <source>1天</source>
        <translation>1 day</translation>
    </message>
    <message>
        <source>3天</source>
        <translation>3 days</translation>
    </message>
    <message>
        <source>5天</source>
        <translation>5 days</translation>
    </message>
    <message>
        <source>7天</source>
        <translation>7 days</translation>
    </message>
    <message>
        <source>10天</source>
        <translation>10 days</translation>
    </message>
    <message>
        <source>15天</source>
        <translation>15 days</translation>
    </message>
    <message>
        <source>30天</source>
        <translation>30 days</translation>
    </message>
    <message>
        <source>添加新节日</source>
        <translation>Add a new holiday</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>选择</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>请选择要删除的记录</source>
        <translation>Please choose to delete records</translation>
    </message>
    <message>
        <source>所编辑内容不能为空</source>
        <translation>The editor content cannot be empty</translation>
    </message>
    <message>
        <source>月份应在1-12之间</source>
        <translation>Month should be between 1 and 12</translation>
    </message>
    <message>
        <source>日期应在1-31之间</source>
        <translation>The day should be between 1 and 31</translation>
    </message>
    <message>
        <source>该月没有这一天</source>
        <translation>That month has no such day.</translation>
    </message>
    <message>
        <source>确定删除该行记录?</source>
        <translation>Sure delete the record?</translation>
    </message>
    <message>
        <source>请选择内容</source>
        <translation>Please select a content</translation>
    </message>
</context>
<context>
    <name>CDCreateTask1</name>
    <message>
        <source>向导</source>
        <translation>The wizard</translation>
    </message>
    <message>
        <source>定时(周期)短信</source>
        <translation>Timing (cycle) messages</translation>
    </message>
    <message>
        <source>发送短信</source>
        <translation>Send message</translation>
    </message>
    <message>
        <source>工作提醒</source>
        <translation>Work to remind</translation>
    </message>
    <message>
        <source>任务名称</source>
        <translation>Task name</translation>
    </message>
    <message>
        <source>任务描述</source>
        <translation>Task description</translation>
    </message>
    <message>
        <source>上一步</source>
        <translation>Last step</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next step</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDCreateTask2</name>
    <message>
        <source>向导</source>
        <translation>The wizard</translation>
    </message>
    <message>
        <source>单次执行</source>
        <translation>once-run</translation>
    </message>
    <message>
        <source>周期执行</source>
        <translation>cycle-run</translation>
    </message>
    <message>
        <source>周期执行设定...</source>
        <translation>Setting...</translation>
    </message>
    <message>
        <source>上一步</source>
        <translation>Last step</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next step</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDCreateTask3</name>
    <message>
        <source>向导</source>
        <translation>The wizard</translation>
    </message>
    <message>
        <source>界面提醒</source>
        <translation>Interface to remind</translation>
    </message>
    <message>
        <source>提前</source>
        <translation>In advance</translation>
    </message>
    <message>
        <source>短信提醒</source>
        <translation>Message to remind</translation>
    </message>
    <message>
        <source>(注意:每行只能输入一个手机号码!)</source>
        <translation>(Note: one mobile number per line!)</translation>
    </message>
    <message>
        <source>提醒对象</source>
        <translation>Remind</translation>
    </message>
    <message>
        <source>上一步</source>
        <translation>Last step</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next step</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>5分钟</source>
        <translation>5 minutes</translation>
    </message>
    <message>
        <source>10分钟</source>
        <translation>10 minutes</translation>
    </message>
    <message>
        <source>15分钟</source>
        <translation>15 minutes</translation>
    </message>
    <message>
        <source>20分钟</source>
        <translation>20 minutes</translation>
    </message>
    <message>
        <source>30分钟</source>
        <translation>30 minutes</translation>
    </message>
    <message>
        <source>1小时</source>
        <translation>1 hour</translation>
    </message>
    <message>
        <source>2小时</source>
        <translation>2 hours</translation>
    </message>
    <message>
        <source>4小时</source>
        <translation>4 hours</translation>
    </message>
    <message>
        <source>8小时</source>
        <translation>8 hours</translation>
    </message>
    <message>
        <source>16小时</source>
        <translation>16 hours</translation>
    </message>
    <message>
        <source>24小时</source>
        <translation>24 hours</translation>
    </message>
</context>
<context>
    <name>CDCreateTask4</name>
    <message>
        <source>向导</source>
        <translation>The wizard</translation>
    </message>
    <message>
        <source>你已输入%d个字符,该短信手机将分为%d条,总共0条.</source>
        <translation>You have entered %d characters; the message is split into %d parts, 0 in total.</translation>
    </message>
    <message>
        <source>你已输入0个字符,该短信手机将分为0条,总共0条.</source>
        <translation>You have entered 0 characters; the message is split into 0 parts, 0 in total.</translation>
    </message>
    <message>
        <source>上一步</source>
        <translation>Last step</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next step</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDCreateTask5</name>
    <message>
        <source>向导</source>
        <translation>The wizard</translation>
    </message>
    <message>
        <source>手机号列表</source>
        <translation>Mobile numbers</translation>
    </message>
    <message>
        <source>联系人</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>添加新号码(&amp;A)</source>
        <translation>Add number(&amp;A)</translation>
    </message>
    <message>
        <source>增加接收人(&amp;C)</source>
        <translation>Choose number(&amp;C)</translation>
    </message>
    <message>
        <source>清除(&amp;X)</source>
        <translation>Remove(&amp;X)</translation>
    </message>
    <message>
        <source>清除全部(&amp;D)</source>
        <translation>Remove all(&amp;D)</translation>
    </message>
    <message>
        <source>接收人号码列表,共 %d 条记录.</source>
        <translation>Recipients: %d records.</translation>
    </message>
    <message>
        <source>上一步</source>
        <translation>Last step</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next step</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>清除全部</source>
        <translation>Remove all</translation>
    </message>
</context>
<context>
    <name>CDlgPeriodicity</name>
    <message>
        <source>周期性设定</source>
        <translation>Set the cycle</translation>
    </message>
    <message>
        <source>频率</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>天</source>
        <translation>day</translation>
    </message>
    <message>
        <source>周</source>
        <translation>week</translation>
    </message>
    <message>
        <source>月</source>
        <translation>month</translation>
    </message>
    <message>
        <source>年</source>
        <translation>year</translation>
    </message>
    <message>
        <source>每</source>
        <translation>Every</translation>
    </message>
    <message>
        <source>周的</source>
        <translation>weeks on</translation>
    </message>
    <message>
        <source>星期一</source>
        <translation>Monday</translation>
    </message>
    <message>
        <source>星期二</source>
        <translation>Tuesday</translation>
    </message>
    <message>
        <source>星期三</source>
        <translation>Wednesday</translation>
    </message>
    <message>
        <source>星期四</source>
        <translation>Thursday</translation>
    </message>
    <message>
        <source>星期五</source>
        <translation>Friday</translation>
    </message>
    <message>
        <source>星期六</source>
        <translation>Saturday</translation>
    </message>
    <message>
        <source>星期日</source>
        <translation>Sunday</translation>
    </message>
    <message>
        <source>每月的</source>
        <translation>Every month on</translation>
    </message>
    <message>
        <source>日</source>
        <translation>day</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>每年的</source>
        <translation>Every year on</translation>
    </message>
    <message>
        <source>注意: 所选日期超出当月有效日期时,日期将设为当月的最后一天.(其中2月忽略闰年)</source>
        <translation>Note: a day beyond the end of a month becomes the month's last day. (Leap years are ignored for February.)</translation>
    </message>
    <message>
        <source>任务时间</source>
        <translation>Task time</translation>
    </message>
    <message>
        <source>任务有效期</source>
        <translation>Task valid</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message>
        <source>到</source>
        <translation>To</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDlgDateMSGSetting</name>
    <message>
        <source>%s短信自动发送内容不能为空</source>
        <translation>%s messages sent automatically content cannot be empty</translation>
    </message>
    <message>
        <source>设置文件无法写入:%1</source>
        <translation>The settings file cannot be written: %1</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>----未启用,请先在软件主界面"新增字段"中启用后再设置</source>
        <translation>----not enabled; enable it under "custom contact properties" in the main window first</translation>
    </message>
    <message>
        <source>设置日期类型短信</source>
        <translation>Sets the date type messages</translation>
    </message>
    <message>
        <source>自动发送</source>
        <translation>Auto Send</translation>
    </message>
    <message>
        <source>发送时间</source>
        <translation>Send time</translation>
    </message>
    <message>
        <source>天</source>
        <translation>day</translation>
    </message>
    <message>
        <source>提前</source>
        <translation>In advance</translation>
    </message>
    <message>
        <source>生日短信</source>
        <translation>Birthday message</translation>
    </message>
    <message>
        <source>特殊日期短信</source>
        <translation>Special date message</translation>
    </message>
    <message>
        <source>插入字段:</source>
        <translation>Insert the fields:</translation>
    </message>
    <message>
        <source>1.请在文本编辑框中输入短信内容.</source>
        <translation>1. Please input text in the text edit box.</translation>
    </message>
    <message>
        <source>2.为确保设置生效,请保持软件处于运行状态.</source>
        <translation>2. to ensure that the Settings to take effect, please keep the software running.</translation>
    </message>
    <message>
        <source>3.本次联系人日期及设置的变更将在下次运行时生效.</source>
        <translation>3. the contact date and set the changes will take effect at the next run time.</translation>
    </message>
</context>
<context>
    <name>CDlgBatchDateMSG</name>
    <message>
        <source>批量日期短信</source>
        <translation>Batch date message</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message>
        <source>到</source>
        <translation>To</translation>
    </message>
    <message>
        <source>选择组...</source>
        <translation>Choose groups...</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>插入字段:</source>
        <translation>Insert the fields:</translation>
    </message>
    <message>
        <source>需要签名</source>
        <translation>Signed</translation>
    </message>
    <message>
        <source>提前</source>
        <translation>In advance</translation>
    </message>
    <message>
        <source>天</source>
        <translation>day</translation>
    </message>
    <message>
        <source>发送时间</source>
        <translation>Send time</translation>
    </message>
    <message>
        <source>生成个性短信</source>
        <translation>Create personalised messages</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>手机号码</source>
        <translation>Mobile number</translation>
    </message>
    <message>
        <source>生日</source>
        <translation>Birthday</translation>
    </message>
    <message>
        <source>移出列表</source>
        <translation>Remove from the list</translation>
    </message>
</context>
<context>
    <name>CDlgAutoSend</name>
    <message>
        <source>生日 － 短信发送</source>
        <translation>Send a birthday message</translation>
    </message>
    <message>
        <source>特殊日期 － 短信发送</source>
        <translation>Send a special-date message</translation>
    </message>
    <message>
        <source>发送号码:</source>
        <translation>Number:</translation>
    </message>
    <message>
        <source>发送内容:
(70字以内)</source>
        <translation>Content:
(70 characters at most)</translation>
    </message>
    <message>
        <source>(0表示不提前,即生日当天)</source>
        <translation>(0 means on the day itself)</translation>
    </message>
    <message>
        <source>提前天数:</source>
        <translation>Days in advance:</translation>
    </message>
    <message>
        <source>发送时间:</source>
        <translation>Send time:</translation>
    </message>
    <message>
        <source>%d年</source>
        <translation>%d years</translation>
    </message>
    <message>
        <source>发送年限:</source>
        <translation>Years:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>定时短信未被接受，已记入失败记录。</source>
        <translation>The timed messages were not accepted; they are in the failed records.</translation>
    </message>
    <message>
        <source>定时短信已提交，但未收到服务应答，结果未知，请核对后再决定是否重新提交。</source>
        <translation>The timed messages were submitted but no answer came; the outcome is unknown. Check before submitting again.</translation>
    </message>
</context>
<context>
    <name>CDlgSendMMS</name>
    <message>
        <source>发送彩信</source>
        <translation>Mass MMS</translation>
    </message>
    <message>
        <source>添加新号码</source>
        <translation>Add phone number</translation>
    </message>
    <message>
        <source>选择手机号码</source>
        <translation>Choose the phone number</translation>
    </message>
    <message>
        <source>立即发送(&amp;N)</source>
        <translation>Immediately send(&amp;N)</translation>
    </message>
    <message>
        <source>定时发送(&amp;T)</source>
        <translation>Timing send(&amp;T)</translation>
    </message>
    <message>
        <source>保存到草稿箱(&amp;S)</source>
        <translation>Save to draft(&amp;S)</translation>
    </message>
    <message>
        <source>增加帧</source>
        <translation>Add frame</translation>
    </message>
    <message>
        <source>删除当前帧</source>
        <translation>Delete the current frame</translation>
    </message>
    <message>
        <source>编辑图片(&amp;E)</source>
        <translation>Edit picture(&amp;E)</translation>
    </message>
    <message>
        <source>预览(&amp;P)</source>
        <translation>Preview(&amp;P)</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>生成手机报(&amp;P)</source>
        <translation>Mobile news(&amp;P)</translation>
    </message>
    <message>
        <source>第%d帧</source>
        <translation>Frame %d</translation>
    </message>
    <message>
        <source>手机号码</source>
        <translation>Mobile number</translation>
    </message>
    <message>
        <source>联系人</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>号码列表 共 %d 条记录</source>
        <translation>Number list: %d records</translation>
    </message>
    <message>
        <source>本次按 %d 条扣费.</source>
        <translation>This sending is charged as %d messages.</translation>
    </message>
    <message>
        <source>%d字节,约%dKB</source>
        <translation>%d bytes, about %d KB</translation>
    </message>
    <message>
        <source>移出发送列表</source>
        <translation>Remove from the send list</translation>
    </message>
    <message>
        <source>保存联系人</source>
        <translation>Save as contact</translation>
    </message>
    <message>
        <source>清空列表</source>
        <translation>Empty the list</translation>
    </message>
    <message>
        <source>主题:</source>
        <translation>Subject:</translation>
    </message>
    <message>
        <source>第%d帧的文件及文本内容不能全为空</source>
        <translation>The files and text of frame %d cannot all be empty</translation>
    </message>
    <message>
        <source>Mms文件(*.mms)|*.mms||</source>
        <translation>MMS files(*.mms)|*.mms||</translation>
    </message>
    <message>
        <source>导出本条彩信成功!</source>
        <translation>The MMS was exported!</translation>
    </message>
    <message>
        <source>导出本条彩信失败!</source>
        <translation>Exporting the MMS failed!</translation>
    </message>
    <message>
        <source>导入彩信成功!</source>
        <translation>The MMS was imported!</translation>
    </message>
    <message>
        <source>导入彩信失败!</source>
        <translation>Importing the MMS failed!</translation>
    </message>
    <message>
        <source>注：只有通过客户端导出的彩信模板才能导入</source>
        <translation>Note: only MMS templates exported by this client can be imported</translation>
    </message>
</context>
<context>
    <name>CDlgMMSFrame</name>
    <message>
        <source>添加...</source>
        <translation>Add...</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Delete all</translation>
    </message>
    <message>
        <source>插入字段:</source>
        <translation>Insert the fields:</translation>
    </message>
</context>
<context>
    <name>CDlgMMSPreview</name>
    <message>
        <source>预览彩信</source>
        <translation>Preview the MMS</translation>
    </message>
    <message>
        <source>预览彩信　(共%d帧,占用%d字节,约%dKB)</source>
        <translation>Preview the MMS  (%d frames, %d bytes, about %d KB)</translation>
    </message>
    <message>
        <source>%s       本窗口%d秒后自动关闭并发送彩信，如要立即发送或取消，请单击“关闭”按钮进行选择</source>
        <translation>%s       This window closes and sends the MMS in %d seconds; to send now or cancel, click "Close" and choose</translation>
    </message>
</context>
<context>
    <name>CDlgEditPic</name>
    <message>
        <source>编辑图片</source>
        <translation>Edit pictures</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>等比缩放</source>
        <translation>Geometric scaling</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>--常用规格--</source>
        <translation>--Common sizes--</translation>
    </message>
    <message>
        <source>高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>中</source>
        <translation>Medium</translation>
    </message>
    <message>
        <source>低</source>
        <translation>Low</translation>
    </message>
</context>
<context>
    <name>CDlgEditImage</name>
    <message>
        <source>&#13;
 ·按下鼠标左键不放选择截取&#13;
 范围&#13;
&#13;
 ·按ESC键或鼠标右键退出</source>
        <translation>&#13;
 ·Hold the left mouse button to&#13;
 select the area&#13;
&#13;
 ·Esc or the right mouse button quits</translation>
    </message>
    <message>
        <source>&#13;
 ·松开鼠标左键确定截取范围&#13;
&#13;
 ·按ESC键退出</source>
        <translation>&#13;
 ·Release the left mouse button&#13;
 to fix the area&#13;
&#13;
 ·Esc quits</translation>
    </message>
    <message>
        <source>&#13;
 ·用鼠标左键调整截取范围的&#13;
 大小和位置&#13;
&#13;
 ·截取范围内双击鼠标左键保&#13;
 存图像，结束操作&#13;
&#13;
 ·点击鼠标右键重新选择</source>
        <translation>&#13;
 ·Drag with the left mouse button&#13;
 to resize and move the area&#13;
&#13;
 ·Double-click inside the area&#13;
 to save the picture and finish&#13;
&#13;
 ·Right-click to select again</translation>
    </message>
    <message>
        <source>&#13;
&#13;
&#13;
 ·当前像素RGB (%d,%d,%d)&#13;
</source>
        <translation>&#13;
&#13;
&#13;
 ·Pixel RGB (%d,%d,%d)&#13;
</translation>
    </message>
    <message>
        <source>顶点位置</source>
        <translation>Top left</translation>
    </message>
    <message>
        <source>矩形大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>光标坐标</source>
        <translation>Cursor</translation>
    </message>
</context>
<context>
    <name>CDlgTelPaper</name>
    <message>
        <source>生成手机报</source>
        <translation>Mobile news</translation>
    </message>
    <message>
        <source>生成(&amp;M)</source>
        <translation>Create(&amp;M)</translation>
    </message>
    <message>
        <source>您共输入%d帧</source>
        <translation>You entered %d frames</translation>
    </message>
    <message>
        <source>您共输入0帧</source>
        <translation>You entered 0 frames</translation>
    </message>
    <message>
        <source>注:每一帧的内容请用(回车+**+回车)隔开</source>
        <translation>Note: separate the frames with (Enter + ** + Enter)</translation>
    </message>
    <message>
        <source>主题:</source>
        <translation>Subject:</translation>
    </message>
    <message>
        <source>帧数不能超过%d</source>
        <translation>The number of frames cannot exceed %d</translation>
    </message>
</context>
<context>
    <name>MmsChecks</name>
    <message>
        <source>第%1帧图片文件打开失败</source>
        <translation>Could not open the picture file of frame %1</translation>
    </message>
    <message>
        <source>第%1帧图片大小超过%2K</source>
        <translation>The picture of frame %1 is larger than %2K</translation>
    </message>
    <message>
        <source>第%1帧声音文件打开失败</source>
        <translation>Could not open the sound file of frame %1</translation>
    </message>
    <message>
        <source>第%1帧声音文件大小超过%2K</source>
        <translation>The sound file of frame %1 is larger than %2K</translation>
    </message>
    <message>
        <source>本条彩信超过%1K</source>
        <translation>This MMS is larger than %1K</translation>
    </message>
    <message>
        <source>%1字节,约%2KB</source>
        <translation>%1 bytes, about %2KB</translation>
    </message>
</context>
<context>
    <name>CDlgSendFax</name>
    <message>
        <source>群发传真</source>
        <translation>Mass fax</translation>
    </message>
    <message>
        <source>添加新传真号码</source>
        <translation>Add fax number</translation>
    </message>
    <message>
        <source>传真号码列表 共 0 条记录</source>
        <translation>Fax number list A total of 0 records</translation>
    </message>
    <message>
        <source>传真号码列表 共 %d 条记录</source>
        <translation>Fax number list: %d records</translation>
    </message>
    <message>
        <source>注意事项:</source>
        <translation>Matters needing attention:</translation>
    </message>
    <message>
        <source>传真号码</source>
        <translation>Fax number</translation>
    </message>
    <message>
        <source>联系人</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>选择传真号码</source>
        <translation>Choose the fax number</translation>
    </message>
    <message>
        <source>传真文件:</source>
        <translation>Fax file:</translation>
    </message>
    <message>
        <source>浏览(&amp;O)...</source>
        <translation>Browse(&amp;O)...</translation>
    </message>
    <message>
        <source>浏览返回报告(&amp;B)...</source>
        <translation>Browse back to report(&amp;B)...</translation>
    </message>
    <message>
        <source>定时发送(&amp;T)</source>
        <translation>Timing send(&amp;T)</translation>
    </message>
    <message>
        <source>立即发送(&amp;N)</source>
        <translation>Immediately send(&amp;N)</translation>
    </message>
    <message>
        <source>保存到草稿箱(&amp;S)</source>
        <translation>Save to draft(&amp;S)</translation>
    </message>
    <message>
        <source>目前只支持*.doc格式,文件页面设置纸型必须为A4!</source>
        <translation>Currently only support *. Doc format, file set up paper must be A4 page!</translation>
    </message>
    <message>
        <source>一个传真号码每发送6秒扣1条短信,发送成功的传真才扣费.</source>
        <translation>Every send a fax number 6 seconds buckle 1 message, sent successfully to deduction.</translation>
    </message>
    <message>
        <source>移出发送列表</source>
        <translation>Remove from the send list</translation>
    </message>
    <message>
        <source>过滤重复号码</source>
        <translation>Filter repeated numbers</translation>
    </message>
</context>
<context>
    <name>CDlgSendSound</name>
    <message>
        <source>语音群发</source>
        <translation>Voice mass</translation>
    </message>
    <message>
        <source>添加新号码</source>
        <translation>Add phone number</translation>
    </message>
    <message>
        <source>号码列表 共 %d 条记录</source>
        <translation>Number list: %d records</translation>
    </message>
    <message>
        <source>手机号列表 共 0 条记录</source>
        <translation>Number list: 0 records</translation>
    </message>
    <message>
        <source>每个号码按3条短信扣费,文件大小应小于500K,录音时间大约30秒.</source>
        <translation>Each number by 3 message deduction, the file size should be less than 500 k, the recording time about 30 seconds.</translation>
    </message>
    <message>
        <source>增加接收人</source>
        <translation>Choose the phone number</translation>
    </message>
    <message>
        <source>主题:</source>
        <translation>Subject:</translation>
    </message>
    <message>
        <source>语音:</source>
        <translation>Voice:</translation>
    </message>
    <message>
        <source>添加(&amp;A)...</source>
        <translation>Add(&amp;A)...</translation>
    </message>
    <message>
        <source>录制(&amp;R)...</source>
        <translation>Recording(&amp;R)...</translation>
    </message>
    <message>
        <source>文本:
(%d字)</source>
        <translation>Text:
(%d chars)</translation>
    </message>
    <message>
        <source>文本:
(200字节)</source>
        <translation>Text:
(200 bytes)</translation>
    </message>
    <message>
        <source>注意:    语音和文本不能同时发送.</source>
        <translation>Note: voice and text cannot be sent at the same time.</translation>
    </message>
    <message>
        <source>我同意语音短信信息安全责任书</source>
        <translation>I agree to the voice message information security agreement</translation>
    </message>
    <message>
        <source>查看(&amp;V)...</source>
        <translation>View(&amp;V)...</translation>
    </message>
    <message>
        <source>浏览返回报告(&amp;B)...</source>
        <translation>Browse back to report(&amp;B)...</translation>
    </message>
    <message>
        <source>定时发送(&amp;T)</source>
        <translation>Timing send(&amp;T)</translation>
    </message>
    <message>
        <source>立即发送(&amp;N)</source>
        <translation>Immediately send(&amp;N)</translation>
    </message>
    <message>
        <source>余额查询(&amp;M)</source>
        <translation>Balance enquiry(&amp;M)</translation>
    </message>
    <message>
        <source>保存到草稿箱(&amp;S)</source>
        <translation>Save to draft(&amp;S)</translation>
    </message>
    <message>
        <source>本次按 %d 条扣费.</source>
        <translation>This sending is charged as %d messages.</translation>
    </message>
    <message>
        <source>本次按 0 条扣费</source>
        <translation>This sending is charged as 0 messages</translation>
    </message>
    <message>
        <source>清空附件</source>
        <translation>Remove the attachment</translation>
    </message>
    <message>
        <source>清空文本</source>
        <translation>Clear the text</translation>
    </message>
    <message>
        <source>设置语音号码:</source>
        <translation>Set up voice number:</translation>
    </message>
    <message>
        <source>手机号码</source>
        <translation>Mobile number</translation>
    </message>
    <message>
        <source>联系人</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>移出发送列表</source>
        <translation>Remove from the send list</translation>
    </message>
    <message>
        <source>保存联系人</source>
        <translation>Save as contact</translation>
    </message>
</context>
<context>
    <name>CdlgRecSound</name>
    <message>
        <source>录制声音</source>
        <translation>Record sound</translation>
    </message>
    <message>
        <source>录制(&amp;R)</source>
        <translation>Record(&amp;R)</translation>
    </message>
    <message>
        <source>停止(&amp;S)</source>
        <translation>Stop(&amp;S)</translation>
    </message>
    <message>
        <source>播放(&amp;P)</source>
        <translation>Play(&amp;P)</translation>
    </message>
    <message>
        <source>完成(&amp;O)</source>
        <translation>Done(&amp;O)</translation>
    </message>
    <message>
        <source>文件路径:  %s/sound/</source>
        <translation>Folder:  %s/sound/</translation>
    </message>
    <message>
        <source>文  件  名: %s.wav</source>
        <translation>File name: %s.wav</translation>
    </message>
</context>
<context>
    <name>CDlgSendEmail</name>
    <message>
        <source>群发邮件</source>
        <translation>Mass Email</translation>
    </message>
    <message>
        <source>添加新邮件地址</source>
        <translation>Add email address</translation>
    </message>
    <message>
        <source>邮件地址列表 共 %d 条记录</source>
        <translation>E-mail address list: %d records</translation>
    </message>
    <message>
        <source>邮件地址列表 共 0 条记录</source>
        <translation>E-mail address list: 0 records</translation>
    </message>
    <message>
        <source>每10封或不足10封邮件按1条短信扣费.</source>
        <translation>Every 10 letters or less than 10 press 1 message deduction.</translation>
    </message>
    <message>
        <source>选择邮件地址</source>
        <translation>Choose email address</translation>
    </message>
    <message>
        <source>本次按 %d 条扣费.</source>
        <translation>This sending is charged as %d messages.</translation>
    </message>
    <message>
        <source>本次按 0 条扣费.</source>
        <translation>This sending is charged as 0 messages.</translation>
    </message>
    <message>
        <source>添加(&amp;A)...</source>
        <translation>Add(&amp;A)...</translation>
    </message>
    <message>
        <source>清空附件</source>
        <translation>Remove the attachment</translation>
    </message>
    <message>
        <source>纯文本</source>
        <translation>Plain text</translation>
    </message>
    <message>
        <source>格式:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>普通</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>重要</source>
        <translation>High</translation>
    </message>
    <message>
        <source>重要性:</source>
        <translation>Importance:</translation>
    </message>
    <message>
        <source>回复地址:</source>
        <translation>Return address:</translation>
    </message>
    <message>
        <source>余额查询(&amp;M)</source>
        <translation>Balance enquiry(&amp;M)</translation>
    </message>
    <message>
        <source>邮件地址</source>
        <translation>E-mail address</translation>
    </message>
    <message>
        <source>联系人</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>移出发送列表</source>
        <translation>Remove from the send list</translation>
    </message>
    <message>
        <source>过滤重复邮件地址</source>
        <translation>Filter repeated addresses</translation>
    </message>
    <message>
        <source>浏览返回报告(&amp;B)...</source>
        <translation>Browse back to report(&amp;B)...</translation>
    </message>
    <message>
        <source>定时发送(&amp;T)</source>
        <translation>Timing send(&amp;T)</translation>
    </message>
    <message>
        <source>立即发送(&amp;N)</source>
        <translation>Immediately send(&amp;N)</translation>
    </message>
    <message>
        <source>保存到草稿箱(&amp;S)</source>
        <translation>Save to draft(&amp;S)</translation>
    </message>
</context>
<context>
    <name>DlgEmailSetting</name>
    <message>
        <source>收取邮件并将其内容发送短信相关设置</source>
        <translation>Email setting</translation>
    </message>
    <message>
        <source>是否自动接收邮件并将其内容发送短信</source>
        <translation>Will automatically receive mail and its content to send text messages</translation>
    </message>
    <message>
        <source>发送短信给分组:</source>
        <translation>Send SMS to group:</translation>
    </message>
    <message>
        <source>邮箱地址:</source>
        <translation>Mailbox address:</translation>
    </message>
    <message>
        <source>密码:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>POP服务器:</source>
        <translation>POP server:</translation>
    </message>
    <message>
        <source>端口:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>接收邮件的邮箱地址和密码</source>
        <translation>Address and password of the receiving mailbox</translation>
    </message>
    <message>
        <source>注:若更换平台账号,则需要重新设置此处内容</source>
        <translation>Note: after changing the service account, set these again</translation>
    </message>
    <message>
        <source>保存设置</source>
        <translation>Save Settings</translation>
    </message>
</context>
<context>
    <name>CDlgWeibo</name>
    <message>
        <source>登录</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Return</translation>
    </message>
    <message>
        <source>回复该评论</source>
        <translation>Reply to this comment</translation>
    </message>
    <message>
        <source>转发为短信</source>
        <translation>Forward as SMS</translation>
    </message>
    <message>
        <source>导出该条微博为xml文件</source>
        <translation>Export this post as an XML file</translation>
    </message>
    <message>
        <source>请在浏览器中登录微博并授权，然后输入授权码：</source>
        <translation>Log in to Weibo in your browser, authorise the program, then enter the authorisation code:</translation>
    </message>
    <message>
        <source>正在处理...</source>
        <translation>Processing...</translation>
    </message>
    <message>
        <source>用户：%1 &#xd;
%2&#xd;
</source>
        <translation>User: %1 &#xd;
%2&#xd;
</translation>
    </message>
    <message>
        <source>该评论来自用户：%1 &#xd;
%2&#xd;
</source>
        <translation>Comment from user: %1 &#xd;
%2&#xd;
</translation>
    </message>
    <message>
        <source>错误信息：&#xd;
%1 &#xd;
 &#xd;
</source>
        <translation>Error:&#xd;
%1 &#xd;
 &#xd;
</translation>
    </message>
    <message>
        <source>该微博没有评论！</source>
        <translation>This post has no comments!</translation>
    </message>
    <message>
        <source>获取评论失败，未导出：&#xd;
%1</source>
        <translation>The comments could not be fetched; nothing was exported:&#xd;
%1</translation>
    </message>
    <message>
        <source>XML文件(*.xml)|*.xml||</source>
        <translation>XML files(*.xml)|*.xml||</translation>
    </message>
    <message>
        <source>导出失败：%1</source>
        <translation>Export failed: %1</translation>
    </message>
</context>
<context>
    <name>CDlgWeiboReply</name>
    <message>
        <source>微博</source>
        <translation>Weibo</translation>
    </message>
    <message>
        <source>回复</source>
        <translation>Reply</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>发送内容不能为空！</source>
        <translation>The text to send must not be empty!</translation>
    </message>
</context>
<context>
    <name>CBrannockDlg</name>
    <message>
        <source>下一步</source>
        <translation>Next step</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Finish</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>感谢您使用本软件：</source>
        <translation>Thank you for using this software:</translation>
    </message>
    <message>
        <source>下载进度：</source>
        <translation>Download progress:</translation>
    </message>
    <message>
        <source>文件名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>     修改内容</source>
        <translation>     Changes</translation>
    </message>
</context>
<context>
    <name>CKeldruneDlg</name>
    <message>
        <source>旧版客户端数据转换窗口</source>
        <translation>Old client data conversion</translation>
    </message>
    <message>
        <source>正在转换短语库...</source>
        <translation>Converting the phrase library...</translation>
    </message>
    <message>
        <source>正在转换联系人...</source>
        <translation>Converting the contacts...</translation>
    </message>
    <message>
        <source>正在转换发送记录...</source>
        <translation>Converting the send records...</translation>
    </message>
    <message>
        <source>关于 Keldrune(&amp;A)...</source>
        <translation>About Keldrune(&amp;A)...</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>开始转换</source>
        <translation>Start conversion</translation>
    </message>
    <message>
        <source>建议用于接收数据的新客户端数据库为未使用过的空数据库</source>
        <translation>The new client's database that receives the data should be an empty, unused one</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Instruction</translation>
    </message>
    <message>
        <source>1.浏览选择原客户端的数据库文件(crm.mdb).请勿重复转换.</source>
        <translation>1. Browse for the old client's database file (crm.mdb). Do not convert twice.</translation>
    </message>
    <message>
        <source>2.将原客户端的联系人信息及发送记录转换至新客户端.</source>
        <translation>2. The old client's contacts and send records are converted to the new client.</translation>
    </message>
    <message>
        <source>3.不转换原联系人中的自定义属性.</source>
        <translation>3. Custom contact properties are not converted.</translation>
    </message>
    <message>
        <source>4.转换数据之前请确保新数据库的发送记录为空.</source>
        <translation>4. Before converting, make sure the new database has no send records.</translation>
    </message>
    <message>
        <source>5.彩信发送记录只转换相应的发送主题、条数和接收号码,不能转　换彩信内容.</source>
        <translation>5. Of the MMS send records only subject, count and numbers are converted, not the MMS content.</translation>
    </message>
    <message>
        <source>Keldrune 1.0 版</source>
        <translation>Keldrune Version 1.0</translation>
    </message>
    <message>
        <source>数据库文件 (*.mdb)</source>
        <translation>Database files (*.mdb)</translation>
    </message>
    <message>
        <source>请选择原客户端的数据库文件.</source>
        <translation>Please choose the database file of the old client.</translation>
    </message>
    <message>
        <source>您已经转换过数据，若重复转换会导致数据重复以及错乱，您确定要再转换一次吗？</source>
        <translation>You have already converted the data. Converting again duplicates and mixes up the data. Do you really want to convert once more?</translation>
    </message>
    <message>
        <source>转换成功.请重启客户端.</source>
        <translation>Conversion succeeded. Please restart the client.</translation>
    </message>
    <message>
        <source>转换短语库失败</source>
        <translation>Converting the phrase library failed. </translation>
    </message>
    <message>
        <source>转换联系人失败</source>
        <translation>Converting the contacts failed. </translation>
    </message>
    <message>
        <source>转换发送记录失败</source>
        <translation>Converting the send records failed. </translation>
    </message>
    <message>
        <source>保存转换结果失败.</source>
        <translation>Saving the converted data failed.</translation>
    </message>
    <message>
        <source>打开新客户端数据库失败.</source>
        <translation>Cannot open the new client's database.</translation>
    </message>
    <message>
        <source>打开原客户端数据库失败.</source>
        <translation>Cannot open the old client's database.</translation>
    </message>
</context>
<context>
    <name>CKeldruneAboutDlg</name>
    <message>
        <source>关于 Keldrune</source>
        <translation>About Keldrune</translation>
    </message>
    <message>
        <source>Keldrune 1.0 版</source>
        <translation>Keldrune Version 1.0</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CWebServiceClient</name>
    <message>
        <source>网络错误.</source>
        <translation>Network error.</translation>
    </message>
    <message>
        <source>打开传真文件失败</source>
        <translation>Failed to open the fax file</translation>
    </message>
    <message>
        <source>传真文件不能超过%1M.</source>
        <translation>The fax file cannot be larger than %1M.</translation>
    </message>
    <message>
        <source>打开语音文件失败</source>
        <translation>Failed to open the voice file</translation>
    </message>
    <message>
        <source>语音文件不能超过%1K.</source>
        <translation>The voice file cannot be larger than %1K.</translation>
    </message>
    <message>
        <source>错误代码:%1,原因:%2</source>
        <translation>Error code:%1, reason:%2</translation>
    </message>
    <message>
        <source>操作失败</source>
        <translation>Operation failed</translation>
    </message>
    <message>
        <source>序列号密码不正确</source>
        <translation>Incorrect serial number or password</translation>
    </message>
    <message>
        <source>参数格式不正确</source>
        <translation>Incorrect parameter format</translation>
    </message>
    <message>
        <source>余额不足</source>
        <translation>Insufficient balance</translation>
    </message>
    <message>
        <source>数据格式错误</source>
        <translation>Data format error</translation>
    </message>
    <message>
        <source>参数有误</source>
        <translation>Invalid parameter</translation>
    </message>
    <message>
        <source>权限有限</source>
        <translation>Insufficient rights</translation>
    </message>
    <message>
        <source>连接超时.</source>
        <translation>Connection timed out.</translation>
    </message>
    <message>
        <source>本条彩信超过%1K</source>
        <translation>This MMS is larger than %1K</translation>
    </message>
    <message>
        <source>图片文件大小超过%1K</source>
        <translation>The picture file is larger than %1K</translation>
    </message>
    <message>
        <source>声音文件大小超过%1K</source>
        <translation>The sound file is larger than %1K</translation>
    </message>
    <message>
        <source>您有新的短信，请注意查收！</source>
        <translation>You have new messages, please check them!</translation>
    </message>
</context>
<context>
    <name>Database</name>
    <message>
        <source>数据库文件已损坏或不是数据库，程序无法使用它：
%1
请从备份恢复该文件。</source>
        <translation>The database file is damaged or is not a database, so the program cannot use it:
%1
Please restore the file from a backup.</translation>
    </message>
    <message>
        <source>无法写入数据库文件（文件夹只读或磁盘已满）：
%1</source>
        <translation>The database file cannot be written (its folder is read-only or the disk is full):
%1</translation>
    </message>
    <message>
        <source>无法打开数据库文件：
%1</source>
        <translation>The database file cannot be opened:
%1</translation>
    </message>
</context>
<context>
    <name>MyRichEditCtrl</name>
    <message>
        <source>剪切</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>粘贴</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select All</translation>
    </message>
</context>
<context>
    <name>Rights</name>
    <message>
        <source>您没有相应权限进行此操作.</source>
        <translation>You have no permission for this operation.</translation>
    </message>
</context>
<context>
    <name>PlaceholderDialog</name>
    <message>
        <source>此功能将在后续版本中提供。</source>
        <translation>This function comes in a later version.</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>PlaceholderView</name>
    <message>
        <source>此功能将在后续版本中提供。</source>
        <translation>This function comes in a later version.</translation>
    </message>
</context>
<context>
    <name>ReplaceExeIcon</name>
    <message>
        <source>打开程序文件失败。</source>
        <translation>Cannot open the program file.</translation>
    </message>
    <message>
        <source>内存不足。</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>读取ICO文件失败。</source>
        <translation>Cannot read the ICO file.</translation>
    </message>
    <message>
        <source>程序文件中没有图标，所以无须替换。</source>
        <translation>The program file has no icon, so there is nothing to replace.</translation>
    </message>
    <message>
        <source>保存修改后的程序文件失败。</source>
        <translation>Cannot save the modified program file.</translation>
    </message>
    <message>
        <source>替换程序文件失败。</source>
        <translation>Cannot replace the program file.</translation>
    </message>
</context>
<context>
    <name>CDlgMSGTimeSend</name>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>定时时间不能小于当前时间</source>
        <translation>The timing time cannot be earlier than the current time</translation>
    </message>
</context>
<context>
    <name>DlgTJRecord</name>
    <message>
        <source>统计结果</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message>
        <source>到</source>
        <translation>To</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>导出统计结果</source>
        <translation>Export statistics</translation>
    </message>
    <message>
        <source>短信归属</source>
        <translation>Message owner</translation>
    </message>
    <message>
        <source>短信成功扣费条数</source>
        <translation>Charged messages sent</translation>
    </message>
    <message>
        <source>成功发送的手机个数</source>
        <translation>Mobiles sent to</translation>
    </message>
    <message>
        <source>Microsoft Excel文件(*.xlsx)|*.xlsx||</source>
        <translation>Microsoft Excel files (*.xlsx)|*.xlsx||</translation>
    </message>
    <message>
        <source>导出记录失败</source>
        <translation>Cannot export the records</translation>
    </message>
</context>
<context>
    <name>PerMsgRows</name>
    <message>
        <source>短信内容中的字段“%1”不存在</source>
        <translation>The field "%1" in the message does not exist</translation>
    </message>
</context>
<context>
    <name>PerMsgSubmission</name>
    <message>
        <source>部分发送失败，请到失败记录里重新发送</source>
        <translation>Some messages failed; please resend them from the failure records</translation>
    </message>
    <message>
        <source>部分发送失败，请到失败记录里重新提交</source>
        <translation>Some messages failed; please resubmit them from the failure records</translation>
    </message>
    <message>
        <source>发送成功</source>
        <translation>Sent successfully</translation>
    </message>
    <message>
        <source>提交成功</source>
        <translation>Submitted successfully</translation>
    </message>
</context>
<context>
    <name>SmsSubmission</name>
    <message>
        <source>写短信记录出错，发送已停止。</source>
        <translation>Could not record the SMS; sending has stopped.</translation>
    </message>
    <message>
        <source>部分发送失败,请到短信发送失败记录里重发.</source>
        <translation>Some messages failed. Please resend them from the failed SMS records.</translation>
    </message>
    <message>
        <source>有%d个号码未收到服务应答，发送结果未知，请核对后再决定是否重发。</source>
        <translation>%d numbers got no answer from the service; their result is unknown. Please check before deciding whether to resend.</translation>
    </message>
    <message>
        <source>发送成功</source>
        <translation>Sent successfully</translation>
    </message>
</context>
<context>
    <name>VoiceFollowUp</name>
    <message>
        <source>语音发送成功</source>
        <translation>Voice message sent successfully</translation>
    </message>
    <message>
        <source>存入语音记录主题等出错了</source>
        <translation>Could not save the voice record (subject and details).</translation>
    </message>
    <message>
        <source>存入语音记录附件出错了</source>
        <translation>Could not save the voice record attachment.</translation>
    </message>
</context>
<context>
    <name>CDlgMMSFrame</name>
    <message>
        <source>图片:</source>
        <translation>Picture:</translation>
    </message>
    <message>
        <source>声音:</source>
        <translation>Sound:</translation>
    </message>
    <message>
        <source>文字:</source>
        <translation>Text:</translation>
    </message>
    <message>
        <source>添加...</source>
        <translation>Add...</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Delete all</translation>
    </message>
    <message>
        <source>插入字段:</source>
        <translation>Insert field:</translation>
    </message>
    <message>
        <source>文件(*.jpg,*.gif)|*.jpg;*.gif;|</source>
        <translation>Files(*.jpg,*.gif)|*.jpg;*.gif;|</translation>
    </message>
    <message>
        <source>文件(*.mid,*.amr)|*.mid;*.amr;|</source>
        <translation>Files(*.mid,*.amr)|*.mid;*.amr;|</translation>
    </message>
</context>
<context>
    <name>CDlgMMSPreview</name>
    <message>
        <source>预览彩信</source>
        <translation>Preview the MMS</translation>
    </message>
    <message>
        <source>预览彩信　(共%d帧,占用%d字节,约%dKB)</source>
        <translation>Preview the MMS  (%d frames, %d bytes, about %dKB)</translation>
    </message>
    <message>
        <source>本窗口%d秒后自动关闭并发送彩信，如要立即发送或取消，请单击“关闭”按钮进行选择</source>
        <translation>This window closes and sends the MMS in %d seconds; to send now or cancel, click &quot;Close&quot;</translation>
    </message>
</context>
<context>
    <name>CDlgEditPic</name>
    <message>
        <source>编辑图片</source>
        <translation>Edit pictures</translation>
    </message>
    <message>
        <source>等比缩放</source>
        <translation>Geometric scaling</translation>
    </message>
    <message>
        <source>宽:</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>高:</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>质量:</source>
        <translation>Quality:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>--常用规格--</source>
        <translation>--Common sizes--</translation>
    </message>
    <message>
        <source>高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>中</source>
        <translation>Medium</translation>
    </message>
    <message>
        <source>低</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>图片过大或无法读取</source>
        <translation>The picture is too large or cannot be read</translation>
    </message>
</context>
<context>
    <name>CDlgEditImage</name>
    <message>
        <source>&#xd;
 ·按下鼠标左键不放选择截取&#xd;
 范围&#xd;
&#xd;
 ·按ESC键或鼠标右键退出</source>
        <translation>&#xd;
 ·Hold the left button down to&#xd;
 select the area&#xd;
&#xd;
 ·Esc or the right button quits</translation>
    </message>
    <message>
        <source>&#xd;
 ·松开鼠标左键确定截取范围&#xd;
&#xd;
 ·按ESC键退出</source>
        <translation>&#xd;
 ·Release the left button to fix&#xd;
 the area&#xd;
&#xd;
 ·Esc quits</translation>
    </message>
    <message>
        <source>&#xd;
 ·用鼠标左键调整截取范围的&#xd;
 大小和位置&#xd;
&#xd;
 ·截取范围内双击鼠标左键保&#xd;
 存图像，结束操作&#xd;
&#xd;
 ·点击鼠标右键重新选择</source>
        <translation>&#xd;
 ·Adjust the area's size and&#xd;
 place with the left button&#xd;
&#xd;
 ·Double-click inside the area&#xd;
 to save the picture&#xd;
&#xd;
 ·Right-click to select again</translation>
    </message>
    <message>
        <source>&#xd;
&#xd;
&#xd;
 ·当前像素RGB (%d,%d,%d)&#xd;
</source>
        <translation>&#xd;
&#xd;
&#xd;
 ·Pixel RGB (%d,%d,%d)&#xd;
</translation>
    </message>
    <message>
        <source>顶点位置</source>
        <translation>Top left</translation>
    </message>
    <message>
        <source>矩形大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>光标坐标</source>
        <translation>Cursor</translation>
    </message>
    <message>
        <source>保存图片失败</source>
        <translation>The picture could not be saved</translation>
    </message>
    <message>
        <source>&#xd;
确定修改图片并另存为 %s 吗?&#xd;
&#xd;
文件大小: %d 字节,约 %d KB. 宽:%d 高:%d</source>
        <translation>&#xd;
Save the changed picture as %s?&#xd;
&#xd;
File size: %d bytes, about %d KB. Width:%d Height:%d</translation>
    </message>
</context>
</TS>
